// Finds the ZIP archive appended to a program file and reads its central
// directory. Nothing read from the archive is trusted: every offset and size
// is checked against the part of the file that holds the archive before use,
// and entries whose data would overlap are refused before anything is
// written. Platform-neutral: the bytes come through a ByteSource.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
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
  uint64_t dataPos = 0;   // first byte of the data, once the local header was read
  bool dataKnown = false; // false: the local header is missing or unreadable
};

class Archive {
public:
  // Locates the archive that begins at or after `first` (the end of the
  // program's own image) in `source`, which must outlive this object, and
  // reads its directory and every local header. On failure `error` names the
  // reason.
  bool Load(const satchel::ByteSource &source, uint64_t first, Msg &error);

  const std::vector<Entry> &Entries() const { return entries_; }
  uint64_t Shift() const { return shift_; }

  // Position of an entry's data; false when its local header is missing.
  bool DataRange(const Entry &e, uint64_t &pos) const {
    pos = e.dataPos;
    return e.dataKnown;
  }
  bool ReadAt(uint64_t pos, void *buf, uint32_t len) const { return source_ && source_->ReadAt(pos, buf, len); }

private:
  bool ReadDirectory(const std::vector<uint8_t> &dir, uint32_t count, Msg &error);
  bool CheckLayout(Msg &error);

  const satchel::ByteSource *source_ = nullptr;
  uint64_t start_ = 0;  // the archive's first byte in the file
  uint64_t dirPos_ = 0; // central directory, where entry data must end
  uint64_t shift_ = 0;  // added to every stored offset
  std::vector<Entry> entries_;
};

// Size of the PE image in a program file: where appended data begins; 0 when
// the file is no PE image.
uint64_t ImageEnd(const satchel::ByteSource &source);

} // namespace sfx
