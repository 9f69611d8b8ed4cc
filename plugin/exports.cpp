// The callbacks the mail program calls. Each takes exactly its documented
// number of 32-bit parameters (stdcall: a wrong count corrupts the host's
// stack), and none lets an exception out into the host.
#include "compress/compress.h"
#include "plugin/commands.h"
#include "plugin/startup.h"
#include "ui/message_box.h"

#include <cstring>
#include <memory>

using namespace satchel;

namespace {
constexpr const char kPluginName[] = "Satchel plug-in";
constexpr const char kAuthor[] = "Satchel team <satchel@example.org>";
constexpr const char kVersion[] = "2.0beta1";
constexpr const char kDescription[] = "compress files and attach by simple operation.";

// Runs `body`; an exception that reaches here is reported, never passed on.
template <typename F> int Guarded(int onError, F body) noexcept {
  try {
    return body();
  } catch (const std::exception &e) {
    try {
      ui::MessageDlg(e.what(), ui::MsgKind::Error);
    } catch (...) {
    }
  } catch (...) {
  }
  return onError;
}
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
  case DLL_PROCESS_ATTACH:
    DisableThreadLibraryCalls(instance);
    return StartUp(instance) ? TRUE : FALSE;
  case DLL_PROCESS_DETACH:
    ShutDown();
    break;
  }
  return TRUE;
}

extern "C" {

int WINAPI BKC_OnStart() {
  return Guarded(0, [] {
    TZipCompressor compressor;
    if (!compressor.LoadDll())
      ui::MessageDlg("zip32.dll not found.", ui::MsgKind::Error);
    return 0;
  });
}

int WINAPI BKC_OnExit() { return 0; }

int WINAPI BKC_OnMenuInit(HWND window, HMENU menu, int windowType) {
  return Guarded(0, [&] {
    OnMenuInit(window, menu, windowType);
    return 0;
  });
}

int WINAPI BKC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI BKC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI BKC_OnEveryMinute() { return 0; }
int WINAPI BKC_OnOpenCompose(HWND, int) { return 0; }
int WINAPI BKC_OnOutgoing(HWND, int) { return 0; }
int WINAPI BKC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI BKC_OnSend(LPCSTR) { return 0; }
int WINAPI BKC_OnFinishRetrieve(int) { return 0; }

int WINAPI BKC_OnPlugInSetup(HWND window) {
  return Guarded(0, [&] { return PlugInSetup(window); });
}

int WINAPI BKC_OnPlugInInfo(char *info) {
  if (!info)
    return 0;
  std::memcpy(info, kPluginName, sizeof kPluginName);
  std::memcpy(info + 80, kAuthor, sizeof kAuthor);
  std::memcpy(info + 160, kVersion, sizeof kVersion);
  std::memcpy(info + 240, kDescription, sizeof kDescription);
  return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) { return 0; }
}
