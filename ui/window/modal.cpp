#include "ui/window/modal.h"

#include <algorithm>
#include <stdexcept>

#include "ui/window/form.h"

namespace satchel::ui {

ThreadWindowsDisabled::ThreadWindowsDisabled(std::initializer_list<HWND> keep) : keep_(keep) {
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
  for (HWND w : disabled_)
    EnableWindow(w, FALSE);
}

ThreadWindowsDisabled::~ThreadWindowsDisabled() {
  for (HWND w : disabled_)
    if (IsWindow(w))
      EnableWindow(w, TRUE);
}

BOOL CALLBACK ThreadWindowsDisabled::Collect(HWND hwnd, LPARAM self) noexcept {
  auto &d = *reinterpret_cast<ThreadWindowsDisabled *>(self);
  if (std::find(d.keep_.begin(), d.keep_.end(), hwnd) != d.keep_.end() || !IsWindowVisible(hwnd) ||
      !IsWindowEnabled(hwnd))
    return TRUE;
  try {
    d.disabled_.push_back(hwnd);
    return TRUE;
  } catch (...) {
    return FALSE; // out of memory: the rest stay enabled
  }
}

void Form::FocusFirstTabStop() {
  for (Control *c : order_)
    if ((GetWindowLongA(c->hwnd_, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c->hwnd_) && c->Enabled()) {
      c->SetFocus();
      return;
    }
}

int Form::ShowModal() {
  if (modal_)
    throw std::logic_error("the form already runs modally");
  HWND active = GetActiveWindow();
  if (GetCapture())
    ReleaseCapture();
  {
    ThreadWindowsDisabled others{hwnd_, tooltip_};
    modal_ = true;
    modalResult_ = 0;
    Show();
    FocusFirstTabStop();
    MSG msg;
    while (modalResult_ == 0 && IsWindow(hwnd_)) {
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0)
          PostQuitMessage(int(msg.wParam)); // for the loop that owns the quit
        modalResult_ = kModalCancel;
        break;
      }
      if (!IsDialogMessageA(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    modal_ = false;
  }
  if (IsWindow(hwnd_))
    ShowWindow(hwnd_, SW_HIDE);
  if (active && IsWindow(active))
    SetActiveWindow(active);
  return modalResult_ ? modalResult_ : kModalCancel;
}

void Form::SetModalResult(int result) {
  modalResult_ = result;
  // A click that arrived as a sent message leaves GetMessage waiting:
  // wake the modal loop so that it sees the result.
  if (modal_ && result != 0)
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

} // namespace satchel::ui
