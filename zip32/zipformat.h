// ZIP records (little-endian, no Zip64) and a buffered writer that can go
// back and patch a local header once a file's sizes are known.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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
std::uint16_t Get16(const std::uint8_t *p);
std::uint32_t Get32(const std::uint8_t *p);

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
// Reads the central directory; throws ZipError on a damaged archive.
OldArchive ReadArchive(HANDLE file, const std::string &name);

class Output {
public:
  Output(HANDLE h, std::string name) : h_(h), name_(std::move(name)) { buf_.reserve(kBuffer); }
  void Write(const void *data, std::size_t n);
  void Write(const Bytes &b) { Write(b.data(), b.size()); }
  void Patch(std::uint64_t at, const Bytes &b);
  void Truncate(std::uint64_t at);
  void Flush();
  std::uint64_t Position() const { return pos_; }

private:
  static constexpr std::size_t kBuffer = 1 << 20;
  void Seek(std::uint64_t at);
  [[noreturn]] void Fail();
  HANDLE h_;
  std::string name_;
  Bytes buf_;
  std::uint64_t pos_ = 0; // logical end, buffer included
};

} // namespace zip32
