// ZIP records (little-endian, no Zip64): writing them, and reading the
// directory of an archive that exists. Platform-neutral: an existing archive
// is read through a ByteSource, so the reader is fuzzed natively too.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace zip32 {

using Bytes = std::vector<std::uint8_t>;

// A failure that ends the run: Info-ZIP's error code and the text printed
// after "zip error: ".
struct ZipError {
  int code;
  std::string text;
};

enum : int {
  kOk = 0,
  kStructure = 3,
  kMemory = 4,
  kLogic = 5,
  kTooBig = 6,
  kInterrupted = 9,
  kTemp = 10,
  kRead = 11,
  kNothing = 12,
  kWrite = 14,
  kCreate = 15,
  kArguments = 16,
  kOpen = 18,
};

void Put16(Bytes &b, unsigned v);
void Put32(Bytes &b, std::uint32_t v);
using satchel::Get16;
using satchel::Get32;

constexpr std::uint32_t kLocalSig = 0x04034b50, kCentralSig = 0x02014b50, kEndSig = 0x06054b50,
                        kDescriptorSig = 0x08074b50;
constexpr std::uint16_t kMadeBy = 20; // version 2.0, MS-DOS (FAT) attributes

struct EntryInfo {
  std::string name;
  Bytes extra;
  std::uint16_t method = 0; // 0 stored, 8 deflated
  std::uint16_t dosTime = 0, dosDate = 0;
  std::uint32_t crc = 0, csize = 0, usize = 0;
  std::uint32_t attributes = 0; // FAT attributes
  std::uint32_t offset = 0;     // of the local header
};

Bytes LocalHeader(const EntryInfo &e);
Bytes CentralHeader(const EntryInfo &e);
Bytes EndRecord(std::size_t entries, std::uint32_t size, std::uint32_t offset, const std::string &comment);
// The 0x7075 field: version 1, CRC-32 of the stored name, the name in UTF-8.
Bytes UnicodePathField(const std::string &stored, const std::string &utf8);

// An entry of an archive that already exists, to be copied unchanged.
struct OldEntry {
  std::string name;
  Bytes central;            // the whole central record
  std::uint64_t start = 0;  // of the local header, in the file
  std::uint64_t length = 0; // local header, data and descriptor
};
struct OldArchive {
  std::vector<OldEntry> entries;
  std::string comment;
};
// Reads the central directory and checks that every entry lies before it
// and apart from the others; throws ZipError on a damaged archive.
OldArchive ReadArchive(const satchel::ByteSource &file, const std::string &name);

} // namespace zip32
