// zipcli [-0..-9] [-r ROOTDIR] [-j] [-R] [-D] [-q] [-v] [--dll PATH] archive.zip names...
// Archives through ZIP32.DLL exactly as a caller of the published interface
// does and prints what the library prints. The library is loaded by full
// path: --dll, else ZIP32.DLL beside this program, else ..\dist\ZIP32.DLL.
#include "zip32/zip32api.h"

#include "base/module.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int WINAPI Print(LPSTR text, unsigned long length) {
  std::fwrite(text, 1, length, stdout);
  return static_cast<int>(length);
}
int WINAPI Comment(LPSTR) { return 0; }
int WINAPI Password(LPSTR, int, LPCSTR, LPCSTR) { return 1; }
int WINAPI Service(LPCSTR, unsigned long) { return 0; }

std::string DefaultDll() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder(self, n);
  folder.erase(folder.find_last_of("\\/:") + 1);
  std::string beside = folder + "ZIP32.DLL";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
    return beside;
  return folder + "..\\dist\\ZIP32.DLL";
}

int Usage() {
  std::fprintf(stderr, "usage: zipcli [-0..-9] [-r ROOTDIR] [-j] [-R] [-D] [-q] [-v] [--dll PATH] archive.zip "
                       "names...\n");
  return 16;
}

} // namespace

int main(int argc, char **argv) {
  // Under Wine every unbuffered write to a pipe costs a round trip; the
  // library prints three pieces per file.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  ZPOPT o{};
  std::string dll = DefaultDll();
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1]; ++i) {
    std::string a = argv[i];
    if (a.size() == 2 && a[1] >= '0' && a[1] <= '9')
      o.fLevel = a[1];
    else if (a == "-r" && i + 1 < argc)
      o.szRootDir = argv[++i];
    else if (a == "-j")
      o.fJunkDir = TRUE;
    else if (a == "-R")
      o.fRecurse = 1;
    else if (a == "-D")
      o.fNoDirEntries = TRUE;
    else if (a == "-q")
      o.fQuiet = TRUE;
    else if (a == "-v")
      o.fVerbose = TRUE;
    else if (a == "--dll" && i + 1 < argc)
      dll = argv[++i];
    else
      return Usage();
  }
  if (i >= argc)
    return Usage();
  HMODULE lib = LoadLibraryA(dll.c_str());
  if (!lib) {
    std::fprintf(stderr, "zipcli: cannot load %s\n", dll.c_str());
    return 2;
  }
  auto init = satchel::ProcAddress<ZPINIT_FN>(lib, "ZpInit");
  auto set = satchel::ProcAddress<ZPSETOPTIONS_FN>(lib, "ZpSetOptions");
  auto archive = satchel::ProcAddress<ZPARCHIVE_FN>(lib, "ZpArchive");
  if (!init || !set || !archive) {
    std::fprintf(stderr, "zipcli: %s lacks the Zip DLL entry points\n", dll.c_str());
    return 2;
  }
  ZIPUSERFUNCTIONS user{Print, Comment, Password, Service};
  init(&user);
  set(&o);
  std::vector<char *> names(argv + i + 1, argv + argc);
  ZCL c{static_cast<int>(names.size()), argv[i], names.data()};
  int rc = archive(c);
  std::fflush(stdout);
  FreeLibrary(lib);
  return rc;
}
