// One compression job: the file list goes to ZIP32.DLL, whose printed output
// is collected and moves the progress dialog; a self-extracting program is
// then assembled from sfx32.dat followed by the archive.
#include "base/handle.h"
#include "base/text.h"
#include "compress/compress.h"
#include "ui/cmprsdlg.h"
#include "zip32/zip32api.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace satchel {

// The library's callbacks carry no context, so they reach the log and the
// progress dialog through these.
std::string ZipOutputLog;
ui::TCompressingDlg *CompressingDlg = nullptr;

InOutError::InOutError(DWORD code, const std::string &file)
    : std::runtime_error("I/O error " + std::to_string(code) + ": " + file), Code(code) {}

namespace {

int WINAPI ZipPrintCallback(char *text, unsigned long length) {
  try {
    if (!text)
      return int(length);
    ZipOutputLog += text;
    if (std::strncmp(text, "  adding", 8) == 0 && CompressingDlg) {
      CompressingDlg->Advance(text);
    }
  } catch (...) {
    // Nothing may unwind through the library's frames.
  }
  return int(length);
}
int WINAPI ZipCommentCallback(char *text) { return int(reinterpret_cast<INT_PTR>(text)); }
int WINAPI ZipPasswordCallback(char *, int, const char *, const char *) { return 1; }
int WINAPI ZipServiceCallback(const char *, unsigned long) { return 0; }

template <typename T> T Entry(FARPROC p) { return reinterpret_cast<T>(p); }

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
  CompressingDlg->SetStatusText("Creating Self-extract archive...");
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
  callbacks.print = reinterpret_cast<decltype(callbacks.print)>(&ZipPrintCallback);
  callbacks.comment = reinterpret_cast<decltype(callbacks.comment)>(&ZipCommentCallback);
  callbacks.password = reinterpret_cast<decltype(callbacks.password)>(&ZipPasswordCallback);
  callbacks.ServiceApplication = reinterpret_cast<decltype(callbacks.ServiceApplication)>(&ZipServiceCallback);
  Entry<int(WINAPI *)(ZIPUSERFUNCTIONS *)>(ZipLibrary().ZpInit)(&callbacks);
  ZipOutputLog.clear();

  // The dialog is released however the job ends; it is closed (hidden)
  // first only on the normal path.
  struct DialogGuard {
    ui::TCompressingDlg *dlg;
    ~DialogGuard() {
      CompressingDlg = nullptr;
      dlg->Release();
    }
  } guard{new ui::TCompressingDlg()};
  CompressingDlg = guard.dlg;
  CompressingDlg->ResetProgress(int(files.size()));

  ZPOPT options = Entry<ZPOPT(WINAPI *)()>(ZipLibrary().ZpGetOptions)();
  std::string root = rootDir; // the library must not write into the caller's text
  if (rootDir.empty())
    options.fJunkDir = -1;
  else
    options.szRootDir = root.data();
  Entry<BOOL(WINAPI *)(ZPOPT *)>(ZipLibrary().ZpSetOptions)(&options);

  std::string zipName = SelfExtract ? ReplaceExt(archiveName, ".zip") : archiveName;
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
    CompressingDlg->Show();
    ZCL zcl{};
    zcl.argc = int(names.size());
    zcl.lpszZipFN = zipCopy;
    zcl.FNV = names.data();
    Entry<int(WINAPI *)(ZCL)>(ZipLibrary().ZpArchive)(zcl);
  }
  ResultText = ZipOutputLog;

  if (SelfExtract && !BuildSelfExtractor(zipName))
    return result;
  CompressingDlg->Close();
  result = 0;
  return result;
}

} // namespace satchel
