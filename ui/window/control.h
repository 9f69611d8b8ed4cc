// A control of a form: a child window plus what its layout row said.
#pragma once
#include <windows.h>

#include <string>

#include "base/handle.h"
#include "ui/window/layout.h"

namespace satchel::ui {

class Form;

class Control {
public:
  HWND Handle() const { return hwnd_; }
  const std::string &Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  int TabOrder() const { return tabOrder_; }
  Form &Owner() const { return *form_; }

  std::string Text() const;
  void SetText(const std::string &text); // labels with AutoSize resize
  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool Visible() const; // its own flag, whatever its parents show
  void SetVisible(bool visible);
  // Check boxes: the click handler runs on every change of state. Radio
  // buttons: checking one clears the others of its parent and runs its click
  // handler when it was not checked before.
  bool Checked() const;
  void SetChecked(bool checked);
  void SetFocus();
  // BitBtn: the picture above the caption (the form keeps it, and draws a
  // greyed twin while the button is disabled). Icon: the icon shown.
  void SetPicture(HBITMAP picture);
  void SetIcon(HICON icon);
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageA(hwnd_, msg, wp, lp); }

private:
  friend class Form;
  Form *form_ = nullptr;
  HWND hwnd_ = nullptr;
  std::string name_;
  Kind kind_ = Kind::Label;
  int tabOrder_ = -1;
  unsigned props_ = 0;
  int modalResult_ = 0;
  bool shown_ = true; // its own visibility; a hidden group box hides it too
  Control *parent_ = nullptr;
  ClickHandler onClick_, onDblClick_;
  KeyHandler onKeyDown_;
  UniqueGdi picture_;
};

// The text of any window.
std::string WindowText(HWND hwnd);

} // namespace satchel::ui
