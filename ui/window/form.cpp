// Form and dispatch: the window procedure and what it does with each message.
#include "ui/window/form.h"

#include <commctrl.h>

#include <atomic>
#include <exception>

#include "ui/window/bitbtn.h"

namespace satchel::ui {
namespace {

// Private request behind Release(): the form deletes itself when it arrives.
constexpr UINT kReleaseMessage = WM_APP + 0x1B0;

bool IsPushButton(Kind k) { return k == Kind::Button || k == Kind::BitBtn; }

unsigned ShiftState() {
  unsigned s = 0;
  if (GetKeyState(VK_SHIFT) < 0)
    s |= ShiftKey;
  if (GetKeyState(VK_CONTROL) < 0)
    s |= CtrlKey;
  if (GetKeyState(VK_MENU) < 0)
    s |= AltKey;
  return s;
}

void SystemBox(const char *text) { MessageBoxA(nullptr, text, "エラー", MB_OK | MB_ICONERROR | MB_TASKMODAL); }
std::atomic<ErrorReport> errorReport{SystemBox};

// Runs `f` and shows what it throws: nothing may leave a window procedure.
template <typename F> void Guarded(F &&f) noexcept {
  try {
    f();
  } catch (const std::exception &e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("An unexpected error occurred.");
  }
}

} // namespace

void SetErrorReport(ErrorReport report) noexcept { errorReport = report ? report : SystemBox; }

void ReportError(const char *text) noexcept {
  try {
    errorReport.load()(text);
  } catch (...) {
  }
}

Form::~Form() {
  if (hwnd_) {
    // No message of the destruction reaches a half-destroyed object.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Form::ApplyVisibility(Control &c) {
  bool show = c.shown_;
  for (Control *p = c.parent_; p && show; p = p->parent_)
    show = p->shown_;
  ShowWindow(c.hwnd_, show ? SW_SHOWNA : SW_HIDE);
  if (c.kind_ == Kind::GroupBox)
    for (Control *child : order_)
      if (child->parent_ == &c)
        ApplyVisibility(*child);
}

std::string Form::Caption() const { return WindowText(hwnd_); }

void Form::SetCaption(const std::string &caption) { SetWindowTextA(hwnd_, caption.c_str()); }

void Form::CentreOnScreen() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (centre_)
    CentreOnScreen();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void Form::Close() { ShowWindow(hwnd_, SW_HIDE); }

void Form::Release() noexcept { PostMessageA(hwnd_, kReleaseMessage, 0, 0); }

bool Form::OnMessage(UINT, WPARAM, LPARAM, LRESULT &) { return false; }
void Form::OnDropFiles(UniqueDrop) {}
void Form::OnDrawItem(Control &, const DRAWITEMSTRUCT &) {}

void Form::ClickButton(Control &c) {
  if (c.modalResult_)
    SetModalResult(c.modalResult_);
  if (c.onClick_)
    c.onClick_(c);
}

LRESULT Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_COMMAND: {
    WORD id = LOWORD(wp), code = HIWORD(wp);
    if (!lp) {
      // Esc and Enter from the dialog keys without a control of their own.
      if (id == IDCANCEL && cancel_ && IsWindowVisible(cancel_->hwnd_) && cancel_->Enabled())
        ClickButton(*cancel_);
      return 0;
    }
    Control *c = ById(id);
    if (!c)
      break;
    if (code == BN_CLICKED) {
      if (IsPushButton(c->kind_))
        ClickButton(*c);
      else if (c->kind_ == Kind::CheckBox)
        c->SetChecked(!c->Checked());
      else if (c->kind_ == Kind::RadioButton)
        c->SetChecked(true);
    } else if (code == LBN_DBLCLK && c->onDblClick_) {
      c->onDblClick_(*c);
    }
    return 0;
  }
  case DM_GETDEFID: {
    // A focused push button takes Enter; otherwise the default button.
    HWND focus = GetFocus();
    for (Control *c : order_)
      if (c->hwnd_ == focus && IsPushButton(c->kind_))
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    if (default_ && IsWindowVisible(default_->hwnd_) && default_->Enabled())
      return MAKELRESULT(GetDlgCtrlID(default_->hwnd_), DC_HASDEFID);
    return 0;
  }
  case WM_NEXTDLGCTL: {
    // IsDialogMessage sends it for a label's accelerator: focus the control
    // given (lParam set), else the next (wParam 0) or previous tab stop.
    HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
    if (target)
      ::SetFocus(target);
    return 0;
  }
  case WM_CLOSE:
    if (modal_)
      SetModalResult(kModalCancel);
    else
      Close();
    return 0;
  case WM_ACTIVATE:
    if (LOWORD(wp) == WA_INACTIVE) {
      HWND f = GetFocus();
      if (f && IsChild(hwnd_, f))
        lastFocus_ = f;
    } else if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
      ::SetFocus(lastFocus_);
      return 0;
    }
    break;
  case WM_DRAWITEM: {
    auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lp);
    Control *c = ById(int(item.CtlID));
    if (!c)
      break;
    if (c->kind_ == Kind::BitBtn)
      DrawBitBtn(item, Font(), static_cast<HBITMAP>(c->picture_.get()), c->Text());
    else
      OnDrawItem(*c, item);
    return TRUE;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN:
  case WM_CTLCOLOREDIT: {
    HWND ctl = reinterpret_cast<HWND>(lp);
    Control *c = ById(GetDlgCtrlID(ctl));
    bool editOnWindow = c && (c->kind_ == Kind::Edit || c->kind_ == Kind::Memo) && !(c->props_ & FaceColor);
    if (!c || editOnWindow)
      break;
    SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  case WM_DROPFILES:
    OnDropFiles(UniqueDrop(reinterpret_cast<HDROP>(wp)));
    return 0;
  default:
    break;
  }
  LRESULT result = 0;
  if (OnMessage(msg, wp, lp, result))
    return result;
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto *form = static_cast<Form *>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto *form = reinterpret_cast<Form *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!form)
    return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == kReleaseMessage) {
    delete form;
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  LRESULT result = 0;
  Guarded([&] { result = form->Handle(msg, wp, lp); });
  return result;
}

LRESULT CALLBACK Form::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto &c = *reinterpret_cast<Control *>(ref);
  if (msg == WM_KEYDOWN && c.onKeyDown_)
    Guarded([&] { c.onKeyDown_(c, WORD(wp), ShiftState()); });
  else if (msg == WM_NCDESTROY)
    RemoveWindowSubclass(hwnd, ControlProc, 1);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace satchel::ui
