// Helpers for driving a host's windows: from a test thread of the same
// process, or (the window searches) from another program.
#pragma once
#include "mailhost/host.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace mailhost {

// Menu text without "&" marks and without the "\t..." accelerator part.
std::string PlainMenuText(const std::string &text);
// Identifier of the first command item, at any depth, whose plain text is
// `text`'s plain text; 0 when there is none.
UINT FindMenuItemId(HMENU menu, const std::string &text);
// The same in a window's menu bar.
UINT FindMenuCommand(HWND window, const std::string &text);
// Posts the command of that menu item to the window, as a user's pick does.
bool PickMenuItem(HWND window, const std::string &text);

// The newest compose window of any host, or null.
HWND FindComposeWindow();

// A Host running on a thread of its own, for a test that is the host: the
// test's thread drives it while the host thread runs the message loop and
// every plug-in call.
class HostThread {
public:
  explicit HostThread(HostOptions options);
  ~HostThread(); // closes the main window and waits for the exit
  HostThread(const HostThread &) = delete;
  HostThread &operator=(const HostThread &) = delete;

  bool started() const { return started_; }
  Host &host() { return *host_; }
  HWND MainWindow() const { return host_->MainWindow(); }
  // Opens a compose window on the host thread and answers it.
  HWND OpenCompose();
  HWND OpenCompose(int x, int y);
  void RebuildMenu(HWND window);
  // Closes the main window and waits until the plug-ins are unloaded;
  // answers Run's exit code.
  int Stop();

private:
  std::unique_ptr<Host> host_;
  std::thread thread_;
  bool started_ = false;
  int exitCode_ = -1;
};

} // namespace mailhost
