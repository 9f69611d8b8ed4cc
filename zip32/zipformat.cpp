#include "zip32/zipformat.h"

#include <zlib.h>

#include <algorithm>
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

OldArchive ReadArchive(const satchel::ByteSource &file, const std::string &name) {
  const ZipError bad{kStructure, "Zip file structure invalid (" + name + ")"};
  auto read = [&](std::uint64_t at, void *to, std::size_t n) {
    if (!file.ReadAt(at, to, std::uint32_t(n)))
      throw bad;
  };
  std::uint64_t fileSize = file.Size();
  if (fileSize < 22)
    throw bad;
  std::size_t tail = std::size_t(fileSize < 65557 ? fileSize : 65557);
  Bytes t(tail);
  read(fileSize - tail, t.data(), tail);
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
  std::uint64_t endPos = fileSize - tail + at;
  // Only a Zip64 locator before the end record makes 0xFFFF a marker; without
  // one, 65,535 is the real count (what we write for that many entries).
  std::uint8_t locator[4];
  if (endPos >= 20 && file.ReadAt(endPos - 20, locator, 4) && Get32(locator) == 0x07064b50)
    throw bad; // Zip64 archives are not ours to update
  OldArchive old;
  old.comment.assign(reinterpret_cast<const char *>(end + 22), Get16(end + 20));
  std::uint32_t count = Get16(end + 10), cdSize = Get32(end + 12), cdOffset = Get32(end + 16);
  if (Get16(end + 4) != 0 || Get16(end + 6) != 0 || Get16(end + 8) != count)
    throw bad; // split archives neither
  if (cdSize > endPos)
    throw bad;
  std::uint64_t cdStart = endPos - cdSize;
  // Bytes in front of the archive (a self-extractor stub) shift every offset.
  if (cdOffset > cdStart)
    throw bad;
  std::uint64_t shift = cdStart - cdOffset;
  Bytes cd(cdSize);
  if (cdSize)
    read(cdStart, cd.data(), cdSize);
  std::size_t p = 0;
  old.entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (cd.size() - p < 46 || Get32(&cd[p]) != kCentralSig)
      throw bad;
    std::size_t len = 46 + Get16(&cd[p + 28]) + Get16(&cd[p + 30]) + Get16(&cd[p + 32]);
    if (len > cd.size() - p)
      throw bad;
    OldEntry e;
    e.central.assign(cd.begin() + p, cd.begin() + p + len);
    e.name.assign(reinterpret_cast<const char *>(&cd[p + 46]), Get16(&cd[p + 28]));
    std::uint32_t csize = Get32(&cd[p + 20]);
    if (csize == 0xffffffff || Get32(&cd[p + 24]) == 0xffffffff || Get32(&cd[p + 42]) == 0xffffffff)
      throw bad;
    e.start = Get32(&cd[p + 42]) + shift;
    if (e.start >= cdStart || cdStart - e.start < 30)
      throw bad;
    std::uint8_t local[30];
    read(e.start, local, 30);
    if (Get32(local) != kLocalSig)
      throw bad;
    e.length = 30 + Get16(local + 26) + Get16(local + 28) + std::uint64_t(csize);
    if (e.length > cdStart - e.start)
      throw bad;
    if (Get16(&cd[p + 8]) & 8) { // data descriptor, with or without its signature
      std::uint8_t sig[4];
      read(e.start + e.length, sig, 4);
      e.length += Get32(sig) == kDescriptorSig ? 16 : 12;
      if (e.length > cdStart - e.start)
        throw bad;
    }
    old.entries.push_back(std::move(e));
    p += len;
  }
  // Entries that share bytes would be copied twice over: a forged archive.
  std::vector<const OldEntry *> order;
  order.reserve(old.entries.size());
  for (const auto &e : old.entries)
    order.push_back(&e);
  std::sort(order.begin(), order.end(), [](const OldEntry *a, const OldEntry *b) { return a->start < b->start; });
  for (std::size_t i = 1; i < order.size(); ++i)
    if (order[i]->start < order[i - 1]->start + order[i - 1]->length)
      throw bad;
  return old;
}

} // namespace zip32
