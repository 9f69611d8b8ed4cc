// A small plug-in for testing the host: it registers a command for compose
// windows, puts "Fake attach..." in their fourth sub-menu and, when picked,
// attaches a few generated files the way a real plug-in does (write a
// temporary file, hand it over, delete it). Every call it gets is appended to
// "<this DLL>.calls" so that a test can see what the host did.
// Built with FAKE_REFUSE it refuses to load.
#include "mailhost/tests/fake_files.h"

#include <windows.h>

#include <string>

namespace {

HMODULE g_self;

using RegisterCommandFn = int(WINAPI *)(LPCSTR, int, void(WINAPI *)(HWND, LPARAM));
using CompAttachFileFn = int(WINAPI *)(HWND, LPCSTR, LPCSTR);

template <typename F> F Host(const char *name) {
  return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(nullptr), name)));
}

void Note(const std::string &line) {
  char path[MAX_PATH];
  GetModuleFileNameA(g_self, path, MAX_PATH);
  std::string log = std::string(path) + ".calls";
  HANDLE f =
      CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE)
    return;
  std::string text = line + "\r\n";
  DWORD n;
  WriteFile(f, text.data(), DWORD(text.size()), &n, nullptr);
  CloseHandle(f);
}

std::string Hex(const void *p) {
  char buf[16];
  wsprintfA(buf, "%08X", unsigned(reinterpret_cast<UINT_PTR>(p)));
  return buf;
}

void WINAPI AttachCommand(HWND window, LPARAM) {
  Note("command " + Hex(window));
  auto attach = Host<CompAttachFileFn>("BKA_CompAttachFile");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (const fake::File &f : fake::Files()) {
    std::string path = std::string(temp) + f.name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(h, f.bytes.data(), DWORD(f.bytes.size()), &n, nullptr);
    CloseHandle(h);
    int rc = attach(window, path.c_str(), f.mime.c_str());
    DeleteFileA(path.c_str());
    Note("attached " + std::to_string(rc));
  }
  // A file that is gone by the time the host looks must not be attached.
  std::string gone = std::string(temp) + "fake-plugin-gone.bin";
  DeleteFileA(gone.c_str());
  Note("gone " + std::to_string(attach(window, gone.c_str(), "application/octet-stream")));
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
#ifdef FAKE_REFUSE
    return FALSE;
#endif
  }
  return TRUE;
}

int WINAPI BKC_OnStart() {
  Note("start");
  return 0;
}

int WINAPI BKC_OnExit() {
  Note("exit");
  return 0;
}

int WINAPI BKC_OnPlugInInfo(char *record) {
  Note("info");
  lstrcpyA(record, fake::kName);
  lstrcpyA(record + 80, fake::kAuthor);
  lstrcpyA(record + 160, fake::kVersion);
  lstrcpyA(record + 240, fake::kDescription);
  return 0;
}

int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int type) {
  Note("menu " + std::to_string(type) + " " + Hex(window));
  if (type != 10)
    return 0;
  int id = Host<RegisterCommandFn>("BKA_RegisterCommand")(fake::kCommandDescription, type, AttachCommand);
  HMENU tools = GetSubMenu(menu, 3);
  AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(tools, MF_STRING, id, fake::kMenuItem);
  return 0;
}

int WINAPI BKC_OnOpenCompose(HWND window, int mode) {
  Note("compose " + Hex(window) + " " + std::to_string(mode));
  return 0;
}

int WINAPI BKC_OnPlugInSetup(HWND window) {
  Note("setup " + Hex(window));
  return 1;
}
}
