#include "zip32/output.h"

#include <algorithm>

namespace zip32 {

void Output::Fail() { throw ZipError{kWrite, "Output file write failure (" + name_ + ")"}; }

void Output::Write(const void *data, std::size_t n) {
  const auto *p = static_cast<const std::uint8_t *>(data);
  pos_ += n;
  if (pos_ > 0xffffffffull)
    throw ZipError{kTooBig, "Archive too large: 4 GiB or more is not supported (" + name_ + ")"};
  while (n) {
    std::size_t take = std::min(n, kBuffer - buf_.size());
    buf_.insert(buf_.end(), p, p + take);
    p += take;
    n -= take;
    if (buf_.size() == kBuffer)
      Flush();
  }
}

void Output::Flush() {
  std::size_t done = 0;
  while (done < buf_.size()) {
    DWORD wrote = 0;
    if (!WriteFile(h_, buf_.data() + done, DWORD(buf_.size() - done), &wrote, nullptr) || wrote == 0)
      Fail();
    done += wrote;
  }
  buf_.clear();
}

void Output::Seek(std::uint64_t at) {
  LARGE_INTEGER li;
  li.QuadPart = LONGLONG(at);
  if (!SetFilePointerEx(h_, li, nullptr, FILE_BEGIN))
    Fail();
}

void Output::Patch(std::uint64_t at, const Bytes &b) {
  Flush();
  Seek(at);
  DWORD wrote = 0;
  if (!WriteFile(h_, b.data(), DWORD(b.size()), &wrote, nullptr) || wrote != b.size())
    Fail();
  Seek(pos_);
}

void Output::Truncate(std::uint64_t at) {
  Flush();
  Seek(at);
  if (!SetEndOfFile(h_))
    Fail();
  pos_ = at;
}

} // namespace zip32
