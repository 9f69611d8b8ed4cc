// Finds the ZIP archive appended to a program file and reads its central
// directory. Nothing read from the archive is trusted: every offset and size
// is checked against the part of the file that holds the archive before use.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/handle.h"
#include "sfx/texts.h"

namespace sfx {

struct Entry {
  std::string rawName;  // bytes as stored in the central directory
  std::string utf8Name; // from bit 11 or a matching 0x7075 field; empty if none
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0, dosDate = 0;
  uint32_t crc = 0;
  uint32_t packedSize = 0, size = 0;
  uint32_t externalAttrs = 0;
  uint8_t madeByHost = 0;
  bool hasUnixTime = false; // 0x5455 modification time, seconds since 1970 UTC
  int64_t unixTime = 0;
  uint64_t headerPos = 0; // local header, as a position in the file
};

class Archive {
public:
  // Opens `path` for reading; false when it cannot be opened.
  bool Open(const std::wstring &path);
  // Locates the archive that begins at or after `first` (the end of the
  // program's own image) and reads its directory. On failure `error` names
  // the reason.
  bool Load(uint64_t first, Msg &error);

  const std::vector<Entry> &Entries() const { return entries_; }
  uint64_t Shift() const { return shift_; }

  // Position and length of an entry's data, after checking its local header;
  // false when the header is missing or the data would overrun the archive.
  bool DataRange(const Entry &e, uint64_t &pos) const;
  bool ReadAt(uint64_t pos, void *buf, uint32_t len) const;

private:
  satchel::UniqueFile file_;
  uint64_t fileSize_ = 0;
  uint64_t start_ = 0;  // the archive's first byte in the file
  uint64_t dirPos_ = 0; // central directory, where entry data must end
  uint64_t shift_ = 0;  // added to every stored offset
  std::vector<Entry> entries_;
};

// Size of the PE image in a program file: where appended data begins.
uint64_t ImageEnd(const Archive &a);

} // namespace sfx
