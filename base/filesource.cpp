#include "base/filesource.h"

namespace satchel {

FileSource::FileSource(UniqueFile file) : file_(std::move(file)) {
  LARGE_INTEGER size;
  if (file_ && GetFileSizeEx(file_.get(), &size))
    size_ = std::uint64_t(size.QuadPart);
  else
    file_.reset();
}

bool FileSource::ReadAt(std::uint64_t pos, void *buf, std::uint32_t len) const {
  if (!file_ || pos > size_ || len > size_ - pos)
    return false;
  auto *to = static_cast<std::uint8_t *>(buf);
  while (len) {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(pos);
    ov.OffsetHigh = DWORD(pos >> 32);
    DWORD got = 0;
    if (!ReadFile(file_.get(), to, len, &got, &ov) || got == 0)
      return false;
    to += got;
    pos += got;
    len -= got;
  }
  return true;
}

} // namespace satchel
