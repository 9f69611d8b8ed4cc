#include "plugin/startup.h"

#include <cstring>

namespace satchel {

TBeckyAPI *BeckyAPI = nullptr;
char SettingsPath[kSettingsPathSize];

bool MakeSettingsPath(const char *modulePath, char (&buffer)[kSettingsPathSize]) {
  std::size_t len = std::strlen(modulePath);
  const char *dot = std::strrchr(modulePath, '.');
  std::size_t keep = dot ? std::size_t(dot - modulePath) : len;
  if (keep + 4 + 1 > sizeof buffer)
    return false;
  std::memcpy(buffer, modulePath, keep);
  std::memcpy(buffer + keep, ".ini", 5);
  return true;
}

namespace {
// Shows the start-up failure once the loader has let go of its lock. A
// message box inside DllMain runs a message loop under the loader lock,
// which can deadlock the whole mail program; and by the time the box can
// be shown this library is unloaded again. So the box runs on a new thread
// whose code and texts live in a page of their own: a thread started now
// waits for the loader lock and starts only after LoadLibrary has returned.
void ReportStartUpFailure() {
  static const char text[] = "Initialization of Satchel failed.";
  static const char caption[] = "エラー";
  auto msgbox = reinterpret_cast<BYTE *>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA"));
  if (!msgbox)
    return;
  BYTE *page = static_cast<BYTE *>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (!page)
    return;
  BYTE *t = page + 64, *c = t + sizeof text;
  std::memcpy(t, text, sizeof text);
  std::memcpy(c, caption, sizeof caption);
  BYTE *p = page;
  auto emit32 = [&p](DWORD v) {
    std::memcpy(p, &v, 4);
    p += 4;
  };
  // DWORD WINAPI thunk(LPVOID): return MessageBoxA(0, t, c, MB_ICONERROR | MB_TASKMODAL);
  *p++ = 0x68;
  emit32(MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND); // push style
  *p++ = 0x68;
  emit32(DWORD(UINT_PTR(c))); // push caption
  *p++ = 0x68;
  emit32(DWORD(UINT_PTR(t))); // push text
  *p++ = 0x6A;
  *p++ = 0x00; // push 0 (no owner)
  *p++ = 0xB8;
  emit32(DWORD(UINT_PTR(msgbox))); // mov eax, MessageBoxA
  *p++ = 0xFF;
  *p++ = 0xD0; // call eax
  *p++ = 0xC2;
  *p++ = 0x04;
  *p++ = 0x00; // ret 4
  FlushInstructionCache(GetCurrentProcess(), page, 64);
  HANDLE thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(page), nullptr, 0, nullptr);
  if (thread)
    CloseHandle(thread);
}
} // namespace

bool StartUp(HMODULE self) {
  try {
    BeckyAPI = new TBeckyAPI;
    if (!BeckyAPI->ResolveHostFunctions()) {
      ShutDown();
      return false;
    }
    char module[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(self, module, MAX_PATH);
    // A path cut at MAX_PATH, or one whose settings path would not fit its
    // buffer, would name the wrong settings file: refuse to start.
    if (n > 0 && n < MAX_PATH && MakeSettingsPath(module, SettingsPath))
      return true;
  } catch (...) {
  }
  ReportStartUpFailure();
  ShutDown();
  return false;
}

void ShutDown() {
  delete BeckyAPI;
  BeckyAPI = nullptr;
}

} // namespace satchel
