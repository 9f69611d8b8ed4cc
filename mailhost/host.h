// The stand-in mail program: a main window, compose windows, the plug-ins it
// loads and the store where it keeps what plug-ins attach. One Host lives on
// one thread (its user-interface thread); every plug-in call arrives there.
#pragma once
#include "mailhost/plugins.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mailhost {

// Window type codes handed to BKC_OnMenuInit.
constexpr int kMainWindowType = 1;
constexpr int kComposeWindowType = 10;

// Window classes and captions, for finding the windows from outside.
constexpr char kMainClass[] = "MailHostMain";
constexpr char kComposeClass[] = "MailHostCompose";
constexpr char kMainCaption[] = "Mail host";
constexpr char kComposeCaption[] = "New message";

// Menu texts of the host's own items.
constexpr char kNewMessageItem[] = "&New message";
constexpr char kSetupItemPrefix[] = "Plug-in setup: "; // followed by the plug-in's name and "..."

struct HostOptions {
  std::string pluginDir; // empty: "PlugIns" beside the executable
  std::string storeDir;  // empty: "Store" beside the executable
  bool compose = false;  // open a compose window at start
  bool composePlaced = false;
  POINT composeAt{0, 0}; // its outer top-left corner on the screen, when placed
  std::string pick;      // a menu item of that compose window to pick once started
  bool exitAfterPick = false;
  int showCommand = SW_SHOWNORMAL;
};

// One attachment as the host keeps it.
struct StoredAttachment {
  int index;            // 1, 2, ... within its compose window
  std::string fileName; // ANSI, as the plug-in named the file
  std::string mimeType;
  std::string storedPath; // the host's own copy
  std::string bytes;
};

struct ComposeState;

class Host {
public:
  explicit Host(HostOptions options);
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  // Creates the main window, loads and starts the plug-ins and opens the
  // compose window the options ask for. False when the window cannot be
  // created.
  bool Start();
  // The message loop, until the main window is closed; then the plug-ins
  // are told and unloaded. Answers the exit code.
  int Run();

  // On the host's thread: a new compose window (placed when `at` is given).
  HWND OpenCompose(const POINT *at = nullptr);
  // On the host's thread: builds the window's menu bar again, telling every
  // plug-in through BKC_OnMenuInit.
  void RebuildMenu(HWND window);

  // Safe from any thread.
  HWND MainWindow() const { return main_; }
  const std::string &StoreDir() const { return storeDir_; }
  const std::string &PlugInDir() const { return pluginDir_; }
  const std::vector<PlugIn> &PlugIns() const { return plugins_; } // fixed once Start has returned
  const std::vector<LoadFailure> &Failures() const { return failures_; }
  std::string StatusText() const;
  std::vector<HWND> ComposeWindows() const;
  std::vector<StoredAttachment> Attachments(HWND compose) const;
  // The message file of a compose window (written at its first attachment).
  std::string MessagePath(HWND compose) const;

  // The Host running on this thread, if any.
  static Host *Current();

private:
  static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ComposeProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMain(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnCompose(ComposeState &, HWND, UINT, WPARAM, LPARAM);
  bool RegisterClasses();
  HMENU BuildMainMenu();
  HMENU BuildComposeMenu(const ComposeState &c);
  void AppendToolsItems(HMENU tools);
  void TellMenu(HWND window, HMENU menu, int type);
  bool DispatchPlugInCommand(HWND window, int id);
  void OnAttach(const struct Attachment &a);
  void WriteMessage(ComposeState &c);
  void SetStatus(const std::string &text);
  ComposeState *FindCompose(HWND w) const;
  void LayoutCompose(ComposeState &c);
  void PickAfterStart(HWND compose);
  void WritePlugInReport();

  HostOptions options_;
  std::string pluginDir_, storeDir_;
  HINSTANCE instance_;
  HWND main_ = nullptr, mainList_ = nullptr, statusBar_ = nullptr;
  std::vector<PlugIn> plugins_;
  std::vector<LoadFailure> failures_;
  std::vector<std::unique_ptr<ComposeState>> composes_;
  int nextMessage_ = 1;
  mutable std::mutex mutex_; // guards composes_' attachments and status_
  std::string status_;
  bool exited_ = false;
  int pickId_ = 0; // the command picked at start, until its handler returns
  int exitCode_ = 0;
};

// Registered messages the main window answers, also from other threads and
// processes: open a compose window (wParam, lParam: MAKELPARAM(x, y) when
// wParam is 1), answering its handle; rebuild a window's menu (wParam: the
// window).
UINT OpenComposeMessage();
UINT RebuildMenuMessage();

} // namespace mailhost
