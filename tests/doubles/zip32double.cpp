// A stand-in ZIP32.DLL for the loading tests. It does no compression; it
// notes where it was loaded from in the file named by SATCHEL_ZIP32_LOG, so a
// test can tell which copy a search found. Built once with every entry point
// and once without ZpVersion.
#include <windows.h>

#include <cstdio>

static void NoteLoad(HINSTANCE self) {
  char log[MAX_PATH], path[MAX_PATH];
  if (!GetEnvironmentVariableA("SATCHEL_ZIP32_LOG", log, MAX_PATH) || !GetModuleFileNameA(self, path, MAX_PATH))
    return;
  if (FILE *f = std::fopen(log, "a")) {
    std::fprintf(f, "%s\n", path);
    std::fclose(f);
  }
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    NoteLoad(self);
  return TRUE;
}

extern "C" {
#ifndef ZIP32_DOUBLE_NO_VERSION
void WINAPI ZpVersion(void *) {}
#endif
int WINAPI ZpInit(void *) { return 1; }
BOOL WINAPI ZpSetOptions(void *) { return TRUE; }
int WINAPI ZpArchive(int, char *, char **) { return 0; }
}
// ZpGetOptions returns a 128-byte record by value; the double is never asked.
extern "C" void WINAPI ZpGetOptions(void *) {}
