#include "sfx/archive.h"

#include <zlib.h>

#include <algorithm>

namespace sfx {
namespace {

uint16_t Get16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t *p) { return uint32_t(Get16(p)) | uint32_t(Get16(p + 2)) << 16; }

constexpr uint32_t kEndSig = 0x06054b50, kDirSig = 0x02014b50, kLocalSig = 0x04034b50;
constexpr uint32_t kEndSize = 22, kDirSize = 46, kLocalSize = 30;
// A directory larger than this is not something our plug-in writes; refusing
// it keeps a 32-bit process from trying to hold it.
constexpr uint32_t kMaxDirSize = 256u << 20;

// Reads the extra fields of a central directory record that we use.
void ReadExtra(const uint8_t *p, uint32_t len, Entry &e) {
  while (len >= 4) {
    uint16_t id = Get16(p), size = Get16(p + 2);
    if (size > len - 4)
      return;
    const uint8_t *d = p + 4;
    if (id == 0x7075 && size >= 5 && d[0] == 1) {
      // The UTF-8 name is only valid while it describes the stored name.
      uint32_t crc = crc32(0, reinterpret_cast<const Bytef *>(e.rawName.data()), uInt(e.rawName.size()));
      if (Get32(d + 1) == crc)
        e.utf8Name.assign(reinterpret_cast<const char *>(d + 5), size - 5);
    } else if (id == 0x5455 && size >= 5 && (d[0] & 1)) {
      e.hasUnixTime = true;
      e.unixTime = int32_t(Get32(d + 1));
    }
    p += 4 + size;
    len -= 4 + size;
  }
}

} // namespace

bool Archive::Open(const std::wstring &path) {
  file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file_ || !GetFileSizeEx(file_.get(), &size))
    return false;
  fileSize_ = uint64_t(size.QuadPart);
  return true;
}

bool Archive::ReadAt(uint64_t pos, void *buf, uint32_t len) const {
  if (pos > fileSize_ || len > fileSize_ - pos)
    return false;
  OVERLAPPED ov = {};
  ov.Offset = DWORD(pos);
  ov.OffsetHigh = DWORD(pos >> 32);
  DWORD got = 0;
  return ReadFile(file_.get(), buf, len, &got, &ov) && got == len;
}

bool Archive::Load(uint64_t first, Msg &error) {
  error = kDamaged;
  if (first >= fileSize_ || fileSize_ - first < kEndSize) {
    error = kNoArchive;
    return false;
  }
  uint32_t tailLen = uint32_t(std::min<uint64_t>(fileSize_ - first, 0xFFFF + kEndSize));
  uint64_t tailPos = fileSize_ - tailLen;
  std::vector<uint8_t> tail(tailLen);
  if (!ReadAt(tailPos, tail.data(), tailLen))
    return false;

  // The end record is the last one whose comment reaches the end of the file;
  // failing that, the last one whose comment fits before it.
  long found = -1;
  for (int pass = 0; pass < 2 && found < 0; ++pass) {
    for (long i = long(tailLen - kEndSize); i >= 0; --i) {
      const uint8_t *p = &tail[i];
      if (Get32(p) != kEndSig)
        continue;
      uint32_t end = uint32_t(i) + kEndSize + Get16(p + 20);
      if (pass == 0 ? end == tailLen : end <= tailLen) {
        found = i;
        break;
      }
    }
  }
  if (found < 0) {
    error = kNoArchive;
    return false;
  }
  const uint8_t *end = &tail[found];
  uint16_t count = Get16(end + 10);
  uint32_t dirSize = Get32(end + 12), dirOffset = Get32(end + 16);
  if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || Get16(end + 8) != count) {
    error = kMultiDisk;
    return false;
  }
  if (count == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF) {
    error = kZip64;
    return false;
  }
  uint64_t endPos = tailPos + uint64_t(found);
  if (dirSize > endPos - first || dirSize > kMaxDirSize)
    return false;
  dirPos_ = endPos - dirSize;
  // Offsets count from the archive's own start (nothing adjusted them after
  // the stub was put in front) or from the file's start (adjusted); the
  // directory's real place tells which.
  if (dirOffset > dirPos_)
    return false;
  shift_ = dirPos_ - dirOffset;
  // Unadjusted, the archive starts at the shift, which cannot lie inside the
  // program's own image.
  if (shift_ != 0 && shift_ < first)
    return false;
  start_ = first;

  std::vector<uint8_t> dir(dirSize);
  if (dirSize && !ReadAt(dirPos_, dir.data(), dirSize))
    return false;
  entries_.clear();
  entries_.reserve(count);
  uint32_t at = 0;
  for (uint32_t n = 0; n < count; ++n) {
    if (dirSize - at < kDirSize || Get32(&dir[at]) != kDirSig)
      return false;
    const uint8_t *p = &dir[at];
    uint32_t nameLen = Get16(p + 28), extraLen = Get16(p + 30), commentLen = Get16(p + 32);
    if (dirSize - at - kDirSize < nameLen + extraLen + commentLen)
      return false;
    Entry e;
    e.madeByHost = p[5];
    e.flags = Get16(p + 8);
    e.method = Get16(p + 10);
    e.dosTime = Get16(p + 12);
    e.dosDate = Get16(p + 14);
    e.crc = Get32(p + 16);
    e.packedSize = Get32(p + 20);
    e.size = Get32(p + 24);
    e.externalAttrs = Get32(p + 38);
    uint32_t offset = Get32(p + 42);
    if (e.packedSize == 0xFFFFFFFF || e.size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
      error = kZip64;
      return false;
    }
    e.headerPos = uint64_t(offset) + shift_;
    e.rawName.assign(reinterpret_cast<const char *>(p + kDirSize), nameLen);
    if (e.flags & 0x800)
      e.utf8Name = e.rawName;
    else
      ReadExtra(p + kDirSize + nameLen, extraLen, e);
    entries_.push_back(std::move(e));
    at += kDirSize + nameLen + extraLen + commentLen;
  }
  return true;
}

bool Archive::DataRange(const Entry &e, uint64_t &pos) const {
  uint8_t h[kLocalSize];
  if (e.headerPos < start_ || e.headerPos >= dirPos_ || dirPos_ - e.headerPos < kLocalSize ||
      !ReadAt(e.headerPos, h, kLocalSize) || Get32(h) != kLocalSig)
    return false;
  pos = e.headerPos + kLocalSize + Get16(h + 26) + Get16(h + 28);
  return pos <= dirPos_ && e.packedSize <= dirPos_ - pos;
}

uint64_t ImageEnd(const Archive &a) {
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS32 nt;
  if (!a.ReadAt(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
      !a.ReadAt(uint32_t(dos.e_lfanew), &nt, sizeof nt) || nt.Signature != IMAGE_NT_SIGNATURE)
    return 0;
  uint64_t pos =
      uint32_t(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
  uint64_t end = nt.OptionalHeader.SizeOfHeaders;
  for (unsigned i = 0; i < nt.FileHeader.NumberOfSections; ++i, pos += sizeof(IMAGE_SECTION_HEADER)) {
    IMAGE_SECTION_HEADER s;
    if (!a.ReadAt(pos, &s, sizeof s))
      return 0;
    if (s.SizeOfRawData)
      end = std::max<uint64_t>(end, uint64_t(s.PointerToRawData) + s.SizeOfRawData);
  }
  return end;
}

} // namespace sfx
