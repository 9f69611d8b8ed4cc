#include "zip32/zipformat.h"

#include <zlib.h>

#include <cstring>

namespace zip32 {

void Put16(Bytes &b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes &b, std::uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}
std::uint16_t Get16(const std::uint8_t *p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t *p) { return Get16(p) | std::uint32_t(Get16(p + 2)) << 16; }

namespace {

unsigned Needed(const EntryInfo &e) { return e.method == 8 ? 20 : 10; }

void PutCommon(Bytes &b, const EntryInfo &e) {
  Put16(b, Needed(e));
  Put16(b, 0); // flags
  Put16(b, e.method);
  Put16(b, e.dosTime);
  Put16(b, e.dosDate);
  Put32(b, e.crc);
  Put32(b, e.csize);
  Put32(b, e.usize);
  Put16(b, unsigned(e.name.size()));
  Put16(b, unsigned(e.extra.size()));
}

} // namespace

Bytes LocalHeader(const EntryInfo &e) {
  Bytes b;
  Put32(b, kLocalSig);
  PutCommon(b, e);
  b.insert(b.end(), e.name.begin(), e.name.end());
  b.insert(b.end(), e.extra.begin(), e.extra.end());
  return b;
}

Bytes CentralHeader(const EntryInfo &e) {
  Bytes b;
  Put32(b, kCentralSig);
  Put16(b, kMadeBy);
  PutCommon(b, e);
  Put16(b, 0); // comment
  Put16(b, 0); // disk
  Put16(b, 0); // internal attributes
  Put32(b, e.attributes);
  Put32(b, e.offset);
  b.insert(b.end(), e.name.begin(), e.name.end());
  b.insert(b.end(), e.extra.begin(), e.extra.end());
  return b;
}

Bytes EndRecord(std::size_t entries, std::uint32_t size, std::uint32_t offset, const std::string &comment) {
  Bytes b;
  Put32(b, kEndSig);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, unsigned(entries));
  Put16(b, unsigned(entries));
  Put32(b, size);
  Put32(b, offset);
  Put16(b, unsigned(comment.size()));
  b.insert(b.end(), comment.begin(), comment.end());
  return b;
}

Bytes UnicodePathField(const std::string &stored, const std::string &utf8) {
  Bytes b;
  Put16(b, 0x7075);
  Put16(b, unsigned(5 + utf8.size()));
  b.push_back(1);
  Put32(b, std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(stored.data()), uInt(stored.size()))));
  b.insert(b.end(), utf8.begin(), utf8.end());
  return b;
}

namespace {

void ReadAt(HANDLE h, std::uint64_t at, void *to, DWORD n, const std::string &name) {
  LARGE_INTEGER li;
  li.QuadPart = LONGLONG(at);
  DWORD got = 0;
  if (!SetFilePointerEx(h, li, nullptr, FILE_BEGIN) || !ReadFile(h, to, n, &got, nullptr) || got != n)
    throw ZipError{kStructure, "Zip file structure invalid (" + name + ")"};
}

} // namespace

OldArchive ReadArchive(HANDLE h, const std::string &name) {
  const ZipError bad{kStructure, "Zip file structure invalid (" + name + ")"};
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h, &size))
    throw bad;
  std::uint64_t fileSize = std::uint64_t(size.QuadPart);
  if (fileSize < 22)
    throw bad;
  DWORD tail = DWORD(fileSize < 65557 ? fileSize : 65557);
  Bytes t(tail);
  ReadAt(h, fileSize - tail, t.data(), tail, name);
  std::size_t at = tail - 22 + 1;
  bool found = false;
  while (at-- > 0)
    if (Get32(&t[at]) == kEndSig && at + 22 + Get16(&t[at + 20]) == tail) {
      found = true;
      break;
    }
  if (!found)
    throw bad;
  const std::uint8_t *end = &t[at];
  OldArchive old;
  old.comment.assign(reinterpret_cast<const char *>(end + 22), Get16(end + 20));
  std::uint32_t count = Get16(end + 10), cdSize = Get32(end + 12), cdOffset = Get32(end + 16);
  if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || count == 0xffff || cdOffset == 0xffffffff)
    throw bad; // split or Zip64 archives are not ours to update
  std::uint64_t cdStart = fileSize - tail + at - cdSize;
  if (cdSize > fileSize - tail + at)
    throw bad;
  // Bytes in front of the archive (a self-extractor stub) shift every offset.
  std::int64_t shift = std::int64_t(cdStart) - std::int64_t(cdOffset);
  Bytes cd(cdSize);
  if (cdSize)
    ReadAt(h, cdStart, cd.data(), cdSize, name);
  std::size_t p = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (p + 46 > cd.size() || Get32(&cd[p]) != kCentralSig)
      throw bad;
    std::size_t len = 46 + Get16(&cd[p + 28]) + Get16(&cd[p + 30]) + Get16(&cd[p + 32]);
    if (p + len > cd.size())
      throw bad;
    OldEntry e;
    e.central.assign(cd.begin() + p, cd.begin() + p + len);
    e.name.assign(reinterpret_cast<const char *>(&cd[p + 46]), Get16(&cd[p + 28]));
    std::uint32_t csize = Get32(&cd[p + 20]);
    if (csize == 0xffffffff || Get32(&cd[p + 24]) == 0xffffffff || Get32(&cd[p + 42]) == 0xffffffff)
      throw bad;
    e.start = std::uint64_t(std::int64_t(Get32(&cd[p + 42])) + shift);
    std::uint8_t local[30];
    ReadAt(h, e.start, local, 30, name);
    if (Get32(local) != kLocalSig)
      throw bad;
    e.length = 30 + Get16(local + 26) + Get16(local + 28) + std::uint64_t(csize);
    if (Get16(&cd[p + 8]) & 8) { // data descriptor, with or without its signature
      std::uint8_t sig[4];
      ReadAt(h, e.start + e.length, sig, 4, name);
      e.length += Get32(sig) == kDescriptorSig ? 16 : 12;
    }
    if (e.start + e.length > cdStart)
      throw bad;
    old.entries.push_back(std::move(e));
    p += len;
  }
  return old;
}

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
