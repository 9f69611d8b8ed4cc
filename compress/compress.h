// The compressors: a base that carries a job's fields, and the ZIP
// compressor that drives the outside library ZIP32.DLL.
#pragma once
#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace satchel {

class TCompress {
public:
  virtual ~TCompress() = default;
  // Makes the compression library ready for use.
  virtual bool LoadDll() { return false; }
  // Runs one job: 0 when it ran to its end, -1 when it stopped early.
  virtual int32_t Compress(const std::string &rootDir, const std::string &archiveName,
                           const std::vector<std::string> &files);

  bool SelfExtract = false;
  uint8_t ArchiveType = 1;
  std::string ResultText;
};

class TZipCompressor : public TCompress {
public:
  TZipCompressor() = default;
  ~TZipCompressor() override;
  TZipCompressor(const TZipCompressor &) = delete;
  TZipCompressor &operator=(const TZipCompressor &) = delete;

  bool LoadDll() override;
  int32_t Compress(const std::string &rootDir, const std::string &archiveName,
                   const std::vector<std::string> &files) override;

  HMODULE LibHandle = nullptr;

private:
  // Builds the program file from sfx32.dat and the archive; false after it
  // has told the user why it could not.
  bool BuildSelfExtractor(const std::string &zipName);
};

// Raised when a file operation of the job fails; carries the system's code.
struct InOutError : std::runtime_error {
  InOutError(DWORD code, const std::string &file);
  DWORD Code;
};

namespace ui {
class TCompressingDlg;
}
// Everything the ZIP library printed in the current job, and the progress
// dialog its print callback moves.
extern std::string ZipOutputLog;
extern ui::TCompressingDlg *CompressingDlg;

// The library's entry points, filled by LoadDll; valid while the module
// that filled them stays loaded.
struct ZipEntryPoints {
  FARPROC ZpVersion, ZpInit, ZpSetOptions, ZpGetOptions, ZpArchive;
};
ZipEntryPoints &ZipLibrary();

// The compressor in use, if any.
extern TZipCompressor *ZipCompressor;

// Loads `name` the way the standard library search would, but never from
// the process's current directory: the mail program's current folder can
// be any folder the user browsed to, and a DLL planted there would run
// inside the mail program.
HMODULE LoadLibraryOutsideCurrentDir(const char *name);

} // namespace satchel
