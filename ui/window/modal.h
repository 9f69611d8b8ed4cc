// What every modal run shares: the thread's other top-level windows are
// disabled while it lasts. Form::ShowModal runs the loop itself (modal.cpp);
// a system dialog without owner (the folder browser) uses the same guard.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace satchel::ui {

class ThreadWindowsDisabled {
public:
  // Disables the visible, enabled top-level windows of this thread but `keep`.
  explicit ThreadWindowsDisabled(std::initializer_list<HWND> keep = {});
  // Enables again those that still exist.
  ~ThreadWindowsDisabled();
  ThreadWindowsDisabled(const ThreadWindowsDisabled &) = delete;
  ThreadWindowsDisabled &operator=(const ThreadWindowsDisabled &) = delete;

private:
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM self) noexcept;
  std::vector<HWND> keep_, disabled_;
};

} // namespace satchel::ui
