#include "mailhost/drive.h"

#include <future>

namespace mailhost {

std::string PlainMenuText(const std::string &text) {
  std::string plain;
  for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i; // "&&" stands for one "&"
    plain += text[i];
  }
  return plain;
}

UINT FindMenuItemId(HMENU menu, const std::string &text) {
  if (!menu)
    return 0;
  const std::string wanted = PlainMenuText(text);
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char buf[512] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    info.dwTypeData = buf;
    info.cch = sizeof buf - 1;
    if (!GetMenuItemInfoA(menu, i, TRUE, &info))
      continue;
    if (info.hSubMenu) {
      if (UINT id = FindMenuItemId(info.hSubMenu, text))
        return id;
    } else if (!(info.fType & MFT_SEPARATOR) && PlainMenuText(buf) == wanted) {
      return info.wID;
    }
  }
  return 0;
}

UINT FindMenuCommand(HWND window, const std::string &text) { return FindMenuItemId(GetMenu(window), text); }

bool PickMenuItem(HWND window, const std::string &text) {
  UINT id = FindMenuCommand(window, text);
  return id && PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND FindComposeWindow() { return FindWindowA(kComposeClass, nullptr); }

HostThread::HostThread(HostOptions options) : host_(std::make_unique<Host>(std::move(options))) {
  std::promise<bool> ready;
  std::future<bool> started = ready.get_future();
  thread_ = std::thread([this, &ready] {
    bool ok = host_->Start();
    ready.set_value(ok);
    exitCode_ = ok ? host_->Run() : -1;
  });
  started_ = started.get();
}

HostThread::~HostThread() { Stop(); }

HWND HostThread::OpenCompose() { return HWND(SendMessageA(MainWindow(), OpenComposeMessage(), 0, 0)); }

HWND HostThread::OpenCompose(int x, int y) {
  return HWND(SendMessageA(MainWindow(), OpenComposeMessage(), 1, MAKELPARAM(x, y)));
}

void HostThread::RebuildMenu(HWND window) { SendMessageA(MainWindow(), RebuildMenuMessage(), WPARAM(window), 0); }

int HostThread::Stop() {
  if (thread_.joinable()) {
    if (IsWindow(MainWindow()))
      PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
    thread_.join();
  }
  return exitCode_;
}

} // namespace mailhost
