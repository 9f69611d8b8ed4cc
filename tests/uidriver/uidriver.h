// Finds and drives the windows of a program under test, from a thread other
// than the one that runs them. The dialog's thread runs its own message loop
// (a modal run); every call here either posts to it or waits for it with a
// time-out, so a test never sleeps for a fixed time and never deadlocks on a
// dialog that opens a nested message box.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace satchel::uidriver {

constexpr DWORD kDefaultTimeout = 10000; // ms

// One child window of a top-level window, as a test sees it.
struct ControlInfo {
  HWND hwnd = nullptr;
  std::string cls;  // window class, e.g. "Button", "Edit", "Static"
  std::string text; // window text (an edit box's contents)
  int id = 0;
  RECT rect{};          // relative to the top-level window's client area
  bool visible = false; // own WS_VISIBLE and every parent's
  bool enabled = false;
  bool checked = false; // check boxes and radio buttons
};

// The first visible top-level window with this caption (exact, empty: any)
// and window class (exact, empty: any) in this process, polled until
// `timeoutMs`; null when none appeared.
HWND WaitForWindow(const std::string &caption, const std::string &cls = "", DWORD timeoutMs = kDefaultTimeout);
// True once `hwnd` is destroyed or hidden, polled until `timeoutMs`.
bool WaitGone(HWND hwnd, DWORD timeoutMs = kDefaultTimeout);
// Polls `condition` every few milliseconds until it holds or the time is up.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = kDefaultTimeout);

// Calls f(HWND) for each child (at any depth) or each top-level window,
// until it answers FALSE. What f throws is thrown again once the system's
// enumeration has returned: it never passes through user32.
template <typename F> struct EnumCall {
  F &f;
  std::exception_ptr error;
  static BOOL CALLBACK Visit(HWND w, LPARAM self) noexcept {
    auto &call = *reinterpret_cast<EnumCall *>(self);
    try {
      return call.f(w);
    } catch (...) {
      call.error = std::current_exception();
      return FALSE;
    }
  }
  void Rethrow() const {
    if (error)
      std::rethrow_exception(error);
  }
};
template <typename F> void ForEachChild(HWND parent, F f) {
  EnumCall<F> call{f, nullptr};
  EnumChildWindows(parent, EnumCall<F>::Visit, reinterpret_cast<LPARAM>(&call));
  call.Rethrow();
}
template <typename F> void ForEachTopLevel(F f) {
  EnumCall<F> call{f, nullptr};
  EnumWindows(EnumCall<F>::Visit, reinterpret_cast<LPARAM>(&call));
  call.Rethrow();
}
// True for a window of this process.
bool IsOwnWindow(HWND hwnd);

std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// Every descendant of `top`, in Z order (creation order for our forms).
std::vector<ControlInfo> Controls(HWND top);
// The first descendant whose text is `text` (and whose class is `cls`,
// when given); throws std::runtime_error when there is none.
HWND FindControl(HWND top, const std::string &text, const std::string &cls = "");
ControlInfo Describe(HWND control);

// Waits until the window's thread has handled everything sent to it so far.
// It also returns when that thread opens a nested modal loop (a message box).
void Sync(HWND hwnd);

// Clicks a push button, check box or radio button as the mouse would (the
// control's own BM_CLICK). False, doing nothing, for a disabled or hidden
// control. Returns once the click was handled, or once the handler opened a
// nested modal loop.
bool Click(HWND control);
// Sets the check state by clicking when it differs.
bool SetChecked(HWND control, bool checked);
// Replaces an edit box's text (WM_SETTEXT, so EN_CHANGE is sent).
void Type(HWND edit, const std::string &text);
// Posts a key press (down and up) to the window that has the focus in the
// thread of `top` (or to `top`). Does not wait: a key that closes a modal
// run is judged by the run's result.
void PressKey(HWND top, UINT vk);
// Asks the window to close, as the close box does (WM_CLOSE, posted).
void CloseBox(HWND top);

// A message box of either sort, ours or the system's.
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;                 // the static texts, joined with "\n"
  std::vector<std::string> buttons; // visible buttons' captions, in Z order
  bool hasIcon = false;
};
MessageBoxInfo ReadMessageBox(HWND box);
// Clicks the button captioned `button`; false when there is none.
bool Answer(HWND box, const std::string &button);

// Captures the window with its frame, as it shows on the screen, into a
// 24-bit BMP file (the window must be on top and not covered).
bool SaveWindowBitmap(HWND hwnd, const std::string &bmpPath);

// A screenshot for the documentation: <folder>\<name>.bmp and, beside it,
// <name>.size with the sizes the window really had ("client W H" and
// "window W H"), so the pictures can be checked against their layouts.
bool SaveShot(HWND hwnd, const std::string &folder, const std::string &name);

// Runs `f` (which typically runs a modal dialog) on a thread of its own.
template <typename F> auto RunOnThread(F &&f) { return std::async(std::launch::async, std::forward<F>(f)); }

// A drop handle as the shell builds it for WM_DROPFILES, with ANSI paths;
// the window that receives it frees it.
HDROP MakeDrop(const std::vector<std::string> &paths);

struct SeenBox {
  bool found = false;
  std::string text; // the first box's
};

// While it lives, answers every message box of this process with this
// caption, ours or the system's, by pressing `button` (or by the close box
// when it has none), keeping the text of each one.
class BoxWatcher {
public:
  explicit BoxWatcher(std::string caption, std::string button = "OK");
  ~BoxWatcher();
  std::vector<std::string> Texts();
  // Stops answering and tells whether a box came, and its text.
  SeenBox Result();
  // Waits up to `timeoutMs` for the first box, then as Result.
  SeenBox Wait(DWORD timeoutMs = kDefaultTimeout);

private:
  void Run();
  void Stop();
  std::string caption_, button_;
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// While it lives, closes every visible top-level window this process shows
// (the close box means Cancel for every dialog of the plug-in).
class WindowCloser {
public:
  WindowCloser();
  ~WindowCloser();
  WindowCloser(const WindowCloser &) = delete;
  WindowCloser &operator=(const WindowCloser &) = delete;

private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A screenshot program (see scripts/screenshots): each shot has a name, the
// size its layout table gives ("W H" client, "window W H", or none) and a
// function that takes it into <out folder>\<name>.bmp/.size.
struct Shot {
  const char *name;
  const char *layout;
  std::function<bool(const std::string &out)> take;
};
//   program --list | --layouts | <out folder> [names...]
int RunShots(int argc, char **argv, const std::vector<Shot> &shots);
// A shot of a dialog that `run` shows modally (on a thread of its own): it is
// waited for, painted, saved and closed.
Shot ModalShot(const char *name, const char *caption, const char *cls, std::function<void()> run,
               const char *layout = nullptr);

} // namespace satchel::uidriver
