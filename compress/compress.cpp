#include "compress/compress.h"

#include "base/files.h"
#include "base/module.h"
#include "base/text.h"

namespace satchel {

int32_t TCompress::Compress(const std::string &, const std::string &, const std::vector<std::string> &) { return -1; }

namespace {
HMODULE LoadFrom(const std::string &dir, const char *name) {
  // Never a folder relative to the current one, which anyone could fill.
  if (!IsFullPath(dir))
    return nullptr;
  std::string path = JoinPath(dir, name);
  if (!IsFile(path))
    return nullptr;
  // Its own dependencies are then looked for beside it first.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
template <typename Fn> bool Bind(HMODULE module, const char *name, Fn &slot) {
  slot = ProcAddress<Fn>(module, name);
  return slot != nullptr;
}
std::string SystemFolder(UINT(WINAPI *get)(LPSTR, UINT)) {
  char buf[MAX_PATH];
  UINT n = get(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string();
}
} // namespace

HMODULE LoadLibraryOutsideCurrentDir(const char *name) {
  // A module of that name already loaded answers first, as it would for a
  // bare-name load.
  if (HMODULE loaded = GetModuleHandleA(name)) {
    std::string path = ModuleFileName(loaded);
    if (HMODULE m = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
      return m;
  }
  // The standard order without its current-directory step: the program's
  // folder, the system folders, then the absolute folders of PATH.
  std::vector<std::string> dirs{FolderPart(ModuleFileName(nullptr)), SystemFolder(GetSystemDirectoryA),
                                SystemFolder(GetWindowsDirectoryA)};
  DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (n > 0) {
    std::string path(n, '\0');
    path.resize(GetEnvironmentVariableA("PATH", path.data(), n));
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find(';', start);
      if (end == std::string::npos)
        end = path.size();
      dirs.push_back(path.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const auto &dir : dirs)
    if (HMODULE m = LoadFrom(dir, name))
      return m;
  return nullptr;
}

TZipCompressor::~TZipCompressor() {
  ResultText.clear();
  if (LibHandle)
    FreeLibrary(LibHandle);
}

bool TZipCompressor::LoadDll() {
  if (LibHandle)
    return true;
  LibHandle = LoadLibraryOutsideCurrentDir("ZIP32.DLL");
  if (reinterpret_cast<UINT_PTR>(LibHandle) < 32) {
    // Beside the plug-in's own module.
    std::string beside = FolderPart(ModuleFileName(ThisModule())) + "ZIP32.DLL";
    LibHandle = LoadLibraryA(beside.c_str());
    if (reinterpret_cast<UINT_PTR>(LibHandle) < 32) {
      LibHandle = nullptr;
      return false;
    }
  }
  // In this order; each one must be there, ZpVersion too, though it is
  // never called.
  return Bind(LibHandle, "ZpVersion", zip_.ZpVersion) && Bind(LibHandle, "ZpInit", zip_.ZpInit) &&
         Bind(LibHandle, "ZpSetOptions", zip_.ZpSetOptions) && Bind(LibHandle, "ZpGetOptions", zip_.ZpGetOptions) &&
         Bind(LibHandle, "ZpArchive", zip_.ZpArchive);
}

} // namespace satchel
