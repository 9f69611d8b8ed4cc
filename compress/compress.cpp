#include "compress/compress.h"

#include "base/module.h"
#include "base/text.h"

namespace satchel {

TZipCompressor *ZipCompressor = nullptr;

ZipEntryPoints &ZipLibrary() {
  static ZipEntryPoints entries{};
  return entries;
}

int32_t TCompress::Compress(const std::string &, const std::string &, const std::vector<std::string> &) { return -1; }

namespace {
bool IsFile(const std::string &path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsAbsolute(const std::string &dir) {
  return (dir.size() >= 3 && dir[1] == ':' && (dir[2] == '\\' || dir[2] == '/')) ||
         (dir.size() >= 2 && dir[0] == '\\' && dir[1] == '\\');
}
HMODULE LoadFrom(std::string dir, const char *name) {
  if (dir.empty() || !IsAbsolute(dir))
    return nullptr;
  if (!EndsWithBackslash(dir) && dir.back() != '/')
    dir += '\\';
  std::string path = dir + name;
  if (!IsFile(path))
    return nullptr;
  // Its own dependencies are then looked for beside it first.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
  ZipEntryPoints &e = ZipLibrary();
  struct {
    const char *name;
    FARPROC *slot;
  } const order[] = {{"ZpVersion", &e.ZpVersion},
                     {"ZpInit", &e.ZpInit},
                     {"ZpSetOptions", &e.ZpSetOptions},
                     {"ZpGetOptions", &e.ZpGetOptions},
                     {"ZpArchive", &e.ZpArchive}};
  for (const auto &o : order) {
    *o.slot = GetProcAddress(LibHandle, o.name);
    if (!*o.slot)
      return false;
  }
  return true;
}

} // namespace satchel
