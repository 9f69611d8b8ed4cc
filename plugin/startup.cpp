#include "plugin/startup.h"

#include "base/text.h"

#include <cstring>
#include <string>

namespace satchel {

TBeckyAPI *BeckyAPI = nullptr;
char SettingsPath[kSettingsPathSize];

bool MakeSettingsPath(const char *modulePath, char (&buffer)[kSettingsPathSize]) {
  std::string settings = SettingsPathFor(modulePath);
  if (settings.size() + 1 > sizeof buffer)
    return false;
  std::memcpy(buffer, settings.c_str(), settings.size() + 1);
  return true;
}

namespace {
// Shows the start-up failure once LoadLibrary has returned. A box inside
// DllMain would run a message loop under the loader lock, and the loader
// unloads this library as soon as DllMain answers FALSE, whatever
// references it holds on itself. So the thread that shows the box runs no
// code of this library: it starts right at MessageBoxIndirectA, whose one
// parameter and stdcall result fit a thread routine, with its parameters
// and texts on the process heap (left there: a few bytes, once). A thread
// created now waits for the loader lock, so the box appears only after the
// load has been refused.
void ReportStartUpFailure() {
  static const char text[] = "Initialization of Satchel failed.";
  static const char caption[] = "エラー";
  struct Box {
    MSGBOXPARAMSA params;
    char text[sizeof text];
    char caption[sizeof caption];
  };
  // Pinned, so MessageBoxIndirectA outlives this library whoever loaded it.
  // Its address comes from user32 itself: taking it here would give this
  // library's import stub.
  HMODULE user32 = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, "user32.dll", &user32))
    return;
  FARPROC show = GetProcAddress(user32, "MessageBoxIndirectA");
  if (!show)
    return;
  auto *box = static_cast<Box *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Box)));
  if (!box)
    return;
  std::memcpy(box->text, text, sizeof text);
  std::memcpy(box->caption, caption, sizeof caption);
  box->params.cbSize = sizeof box->params;
  box->params.lpszText = box->text;
  box->params.lpszCaption = box->caption;
  box->params.dwStyle = MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND;
  auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(show));
  HANDLE thread = CreateThread(nullptr, 0, start, &box->params, 0, nullptr);
  if (thread)
    CloseHandle(thread);
  else
    HeapFree(GetProcessHeap(), 0, box);
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
