#include "sfx/archive.h"

#include <zlib.h>

#include <algorithm>

namespace sfx {
namespace {

using satchel::ByteSource;
using satchel::Get16;
using satchel::Get32;

constexpr uint32_t kEndSig = 0x06054b50, kDirSig = 0x02014b50, kLocalSig = 0x04034b50, kLocatorSig = 0x07064b50;
constexpr uint32_t kEndSize = 22, kDirSize = 46, kLocalSize = 30, kLocatorSize = 20;
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

// An archive whose end was cut off still starts with a local header.
bool StartsLikeArchive(const ByteSource &source, uint64_t first) {
  uint8_t sig[4];
  return source.ReadAt(first, sig, 4) && Get32(sig) == kLocalSig;
}

} // namespace

bool Archive::Load(const ByteSource &source, uint64_t first, Msg &error) {
  source_ = &source;
  entries_.clear();
  error = kDamaged;
  uint64_t fileSize = source.Size();
  if (first >= fileSize || fileSize - first < kEndSize) {
    error = first < fileSize && StartsLikeArchive(source, first) ? kTruncated : kNoArchive;
    return false;
  }
  uint32_t tailLen = uint32_t(std::min<uint64_t>(fileSize - first, 0xFFFF + kEndSize));
  uint64_t tailPos = fileSize - tailLen;
  std::vector<uint8_t> tail(tailLen);
  if (!source.ReadAt(tailPos, tail.data(), tailLen))
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
    error = StartsLikeArchive(source, first) ? kTruncated : kNoArchive;
    return false;
  }
  const uint8_t *end = &tail[found];
  uint64_t endPos = tailPos + uint64_t(found);
  // Only a Zip64 locator right before the end record makes 0xFFFF and
  // 0xFFFFFFFF mean "see the Zip64 record"; without one they are real values
  // (65,535 entries is a count like any other).
  uint8_t locator[4];
  if (endPos - first >= kLocatorSize && source.ReadAt(endPos - kLocatorSize, locator, 4) &&
      Get32(locator) == kLocatorSig) {
    error = kZip64;
    return false;
  }
  uint16_t count = Get16(end + 10);
  uint32_t dirSize = Get32(end + 12), dirOffset = Get32(end + 16);
  if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || Get16(end + 8) != count) {
    error = kMultiDisk;
    return false;
  }
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
  if (dirSize && !source.ReadAt(dirPos_, dir.data(), dirSize))
    return false;
  return ReadDirectory(dir, count, error) && CheckLayout(error);
}

bool Archive::ReadDirectory(const std::vector<uint8_t> &dir, uint32_t count, Msg &error) {
  uint32_t dirSize = uint32_t(dir.size());
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

// Reads every local header. An entry whose header is missing stays in the
// list (it fails alone, as damaged data); data that runs into the directory
// or into another entry's header or data is a forged archive (one local
// entry listed many times unpacks to far more than the archive holds) and is
// refused whole.
bool Archive::CheckLayout(Msg &error) {
  struct Span {
    uint64_t from, to;
  };
  std::vector<Span> spans;
  spans.reserve(entries_.size());
  for (Entry &e : entries_) {
    uint8_t h[kLocalSize];
    if (e.headerPos < start_ || e.headerPos >= dirPos_ || dirPos_ - e.headerPos < kLocalSize ||
        !ReadAt(e.headerPos, h, kLocalSize) || Get32(h) != kLocalSig)
      continue;
    e.dataPos = e.headerPos + kLocalSize + Get16(h + 26) + Get16(h + 28);
    if (e.dataPos > dirPos_ || e.packedSize > dirPos_ - e.dataPos) {
      error = kOverlap;
      return false;
    }
    e.dataKnown = true;
    spans.push_back({e.headerPos, e.dataPos + e.packedSize});
  }
  std::sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.from < b.from; });
  for (std::size_t i = 1; i < spans.size(); ++i)
    if (spans[i].from < spans[i - 1].to) {
      error = kOverlap;
      return false;
    }
  return true;
}

uint64_t ImageEnd(const ByteSource &source) {
  uint8_t dos[64], nt[24 + 64];
  if (!source.ReadAt(0, dos, sizeof dos) || Get16(dos) != 0x5A4D) // "MZ"
    return 0;
  uint64_t ntPos = Get32(dos + 60);
  if (!source.ReadAt(ntPos, nt, sizeof nt) || Get32(nt) != 0x00004550) // "PE\0\0"
    return 0;
  unsigned sections = Get16(nt + 6);
  uint64_t pos = ntPos + 24 + Get16(nt + 20); // past the optional header
  uint64_t end = Get32(nt + 24 + 60);         // SizeOfHeaders
  for (unsigned i = 0; i < sections; ++i, pos += 40) {
    uint8_t s[40];
    if (!source.ReadAt(pos, s, sizeof s))
      return 0;
    uint32_t rawSize = Get32(s + 16), rawPos = Get32(s + 20);
    if (rawSize)
      end = std::max<uint64_t>(end, uint64_t(rawPos) + rawSize);
  }
  return end;
}

} // namespace sfx
