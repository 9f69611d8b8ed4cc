// The compressors: a base that carries a job's fields, and the ZIP
// compressor that drives the outside library ZIP32.DLL.
#pragma once
#include <windows.h>

#include "base/progress.h"
#include "zip32/zip32api.h"

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
  // Everything the library printed during the last job.
  std::string ResultText;
  // After a job the library did not finish: what it printed about the names
  // it left out, one line each (may be empty). The archive is then gone.
  std::string MissingText;
  // Where the job reports its progress; may stay null.
  JobProgress *Progress = nullptr;
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

  // The library's entry points, valid while LibHandle stays loaded.
  struct {
    ZPVERSION_FN ZpVersion = nullptr;
    ZPINIT_FN ZpInit = nullptr;
    ZPSETOPTIONS_FN ZpSetOptions = nullptr;
    ZPGETOPTIONS_FN ZpGetOptions = nullptr;
    ZPARCHIVE_FN ZpArchive = nullptr;
  } zip_;
};

// Raised when a file operation of the job fails; carries the system's code.
struct InOutError : std::runtime_error {
  InOutError(DWORD code, const std::string &file);
  DWORD Code;
};

// Loads `name` the way the standard library search would, but never from
// the process's current directory: the mail program's current folder can
// be any folder the user browsed to, and a DLL planted there would run
// inside the mail program.
HMODULE LoadLibraryOutsideCurrentDir(const char *name);

} // namespace satchel
