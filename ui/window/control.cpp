#include "ui/window/control.h"

#include <stdexcept>

#include "ui/window/font.h"
#include "ui/window/form.h"

namespace satchel::ui {

std::string WindowText(HWND hwnd) {
  std::string s(GetWindowTextLengthA(hwnd) + 1, '\0');
  s.resize(GetWindowTextA(hwnd, s.data(), int(s.size())));
  return s;
}

std::string Control::Text() const { return WindowText(hwnd_); }
void Control::SetText(const std::string &text) {
  SetWindowTextA(hwnd_, text.c_str());
  if (kind_ == Kind::Label && (props_ & AutoSize)) {
    SIZE sz = MeasureText(form_->Font(), text, 0, props_ & NoPrefix);
    SetWindowPos(hwnd_, nullptr, 0, 0, sz.cx, sz.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Control::SetEnabled(bool enabled) {
  EnableWindow(hwnd_, enabled);
  if (kind_ == Kind::BitBtn)
    InvalidateRect(hwnd_, nullptr, TRUE); // the greyed picture
}

bool Control::Visible() const { return shown_; }
void Control::SetVisible(bool visible) {
  shown_ = visible;
  form_->ApplyVisibility(*this);
}

bool Control::Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }

void Control::SetChecked(bool checked) {
  bool was = Checked();
  if (kind_ == Kind::CheckBox) {
    if (was == checked)
      return;
    Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    if (onClick_)
      onClick_(*this);
  } else if (kind_ == Kind::RadioButton) {
    Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    if (!checked)
      return;
    for (Control *c : form_->order_)
      if (c != this && c->kind_ == Kind::RadioButton && c->parent_ == parent_)
        c->Send(BM_SETCHECK, BST_UNCHECKED);
    if (!was && onClick_)
      onClick_(*this);
  } else {
    throw std::logic_error(name_ + " cannot be checked");
  }
}

void Control::SetFocus() { ::SetFocus(hwnd_); }

void Control::SetPicture(HBITMAP picture) {
  picture_.reset(picture);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetIcon(HICON icon) { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }

} // namespace satchel::ui
