// One compression job: the file list goes to ZIP32.DLL, whose printed output
// is collected and reported as progress; a self-extracting program is then
// assembled from sfx32.dat followed by the archive.
#include "base/handle.h"
#include "base/text.h"
#include "compress/compress.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <unordered_set>

namespace satchel {

InOutError::InOutError(DWORD code, const std::string &file)
    : std::runtime_error("I/O error " + std::to_string(code) + ": " + file), Code(code) {}

namespace {

// The library's callbacks carry no context, so while a job runs they reach
// its log, its progress and its count of added files through these.
std::string ZipOutputLog;
JobProgress *CompressingDlg = nullptr;
std::size_t AddedCount = 0;

int WINAPI ZipPrintCallback(LPSTR text, unsigned long length) {
  try {
    if (!text)
      return int(length);
    ZipOutputLog += text;
    if (std::strncmp(text, "  adding", 8) == 0) {
      ++AddedCount;
      if (CompressingDlg)
        CompressingDlg->FileAdded(text);
    }
  } catch (...) {
    // Nothing may unwind through the library's frames.
  }
  return int(length);
}
int WINAPI ZipCommentCallback(LPSTR text) { return int(reinterpret_cast<INT_PTR>(text)); }
int WINAPI ZipPasswordCallback(LPSTR, int, LPCSTR, LPCSTR) { return 1; }
int WINAPI ZipServiceCallback(LPCSTR, unsigned long) { return 0; }

// Names the library is to take, each counted once: it stores a name given
// twice only once. Windows names ignore case.
std::size_t DistinctNames(const std::vector<std::string> &names) {
  std::unordered_set<std::string> seen;
  for (std::string key : names) {
    if (key.empty())
      continue; // the library skips it
    CharUpperBuffA(key.data(), DWORD(key.size()));
    seen.insert(std::move(key));
  }
  return seen.size();
}

// The library's warnings and errors that name one of the names it was
// handed, such as "zip warning: name not matched: b.txt", one a line.
std::string LinesAboutNames(const std::string &log, const std::vector<std::string> &names) {
  std::string found;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find_first_of("\r\n", start);
    if (end == std::string::npos)
      end = log.size();
    std::string line = log.substr(start, end - start);
    start = end + 1;
    std::size_t first = line.find_first_not_of(" \t"), last = line.find_last_not_of(" \t");
    if (first == std::string::npos)
      continue;
    line = line.substr(first, last - first + 1);
    if (line.find("zip warning") == std::string::npos && line.find("zip error") == std::string::npos)
      continue;
    for (const auto &n : names)
      if (!n.empty() && line.find(n) != std::string::npos) {
        found += (found.empty() ? "" : "\r\n") + line;
        break;
      }
  }
  return found;
}

// Opens an existing file for reading and writing.
UniqueFile OpenExisting(const std::string &path) {
  UniqueFile f(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f)
    throw InOutError(GetLastError(), path);
  return f;
}

void ShowSatchelError(const std::string &text) { MessageBoxA(nullptr, text.c_str(), "Satchel", MB_ICONERROR | MB_OK); }

// Appends the ZIP file to the program file that holds the stub; an
// input/output failure raises InOutError.
void AppendArchive(const std::string &zipName, const std::string &programName) {
  UniqueFile program = OpenExisting(programName);
  UniqueFile zip = OpenExisting(zipName);
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(program.get(), zero, nullptr, FILE_END))
    throw InOutError(GetLastError(), programName);
  char buffer[2048];
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(zip.get(), buffer, sizeof buffer, &got, nullptr))
      throw InOutError(GetLastError(), zipName);
    if (got == 0)
      break;
    if (!WriteFile(program.get(), buffer, got, &put, nullptr))
      throw InOutError(GetLastError(), programName);
    // A write that takes less than it was given means the disk is full.
    if (put < got)
      throw InOutError(ERROR_DISK_FULL, programName);
  }
  if (!CloseHandle(program.release()))
    throw InOutError(GetLastError(), programName);
  if (!CloseHandle(zip.release()))
    throw InOutError(GetLastError(), zipName);
}

} // namespace

bool TZipCompressor::BuildSelfExtractor(const std::string &zipName) {
  if (Progress)
    Progress->SetStatusText("Creating Self-extract archive...");
  std::string programName = ReplaceExt(zipName, ".exe");
  // The stub is looked for beside the ZIP32.DLL that was actually loaded.
  char module[MAX_PATH + 1] = {};
  GetModuleFileNameA(LibHandle, module, MAX_PATH);
  std::string stub = FolderPart(module) + "sfx32.dat";
  DWORD attr = GetFileAttributesA(stub.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) {
    ShowSatchelError("sfx32.dat not found");
    return false;
  }
  if (!CopyFileA(stub.c_str(), programName.c_str(), TRUE)) {
    ShowSatchelError("Cannot create " + programName);
    return false;
  }
  try {
    AppendArchive(ReplaceExt(programName, ".zip"), programName);
  } catch (...) {
    // A half-written program must not be attached.
    DeleteFileA(programName.c_str());
    throw;
  }
  DeleteFileA(ReplaceExt(programName, ".zip").c_str());
  return true;
}

int32_t TZipCompressor::Compress(const std::string &rootDir, const std::string &archiveName,
                                 const std::vector<std::string> &files) {
  int32_t result = -1;
  ZIPUSERFUNCTIONS callbacks{};
  callbacks.print = &ZipPrintCallback;
  callbacks.comment = &ZipCommentCallback;
  callbacks.password = &ZipPasswordCallback;
  callbacks.ServiceApplication = &ZipServiceCallback;
  zip_.ZpInit(&callbacks);
  ZipOutputLog.clear();
  AddedCount = 0;
  MissingText.clear();

  // The callbacks reach this job's progress only while it runs.
  struct Reach {
    ~Reach() { CompressingDlg = nullptr; }
  } reach;
  CompressingDlg = Progress;
  if (Progress)
    Progress->ResetProgress(int(files.size()));

  ZPOPT options = zip_.ZpGetOptions();
  std::string root = rootDir; // the library must not write into the caller's text
  if (rootDir.empty())
    options.fJunkDir = -1;
  else
    options.szRootDir = root.data();
  // The check of what the library took counts its "  adding" lines.
  options.fQuiet = FALSE;
  zip_.ZpSetOptions(&options);

  std::string zipName = SelfExtract ? ReplaceExt(archiveName, ".zip") : archiveName;
  int answer;
  {
    // One NUL-terminated copy of each name, freed when the call is over,
    // whether it returns or raises.
    std::vector<std::unique_ptr<char[]>> copies;
    std::vector<char *> names;
    auto copy = [&](const std::string &s) {
      copies.emplace_back(new char[s.size() + 1]);
      std::memcpy(copies.back().get(), s.c_str(), s.size() + 1);
      return copies.back().get();
    };
    char *zipCopy = copy(zipName);
    for (const auto &f : files)
      names.push_back(copy(f));
    if (Progress)
      Progress->ShowProgress();
    ZCL zcl{};
    zcl.argc = int(names.size());
    zcl.lpszZipFN = zipCopy;
    zcl.FNV = names.data();
    answer = zip_.ZpArchive(zcl);
  }
  ResultText = ZipOutputLog;

  // A library may skip a file that vanished or cannot be opened, warn, and
  // still write the archive (answering 0 or 18): one it did not finish is
  // never handed on. A name given twice is added once; a folder among the
  // names adds an entry of its own besides its files.
  if (answer != 0 || AddedCount < DistinctNames(files)) {
    MissingText = LinesAboutNames(ZipOutputLog, files);
    DeleteFileA(zipName.c_str());
    if (Progress)
      Progress->HideProgress();
    return result;
  }
  if (SelfExtract && !BuildSelfExtractor(zipName))
    return result;
  if (Progress)
    Progress->HideProgress();
  result = 0;
  return result;
}

} // namespace satchel
