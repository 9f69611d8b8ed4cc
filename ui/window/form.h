// The window every dialog of the plug-in is: a form made from a layout
// table, whose controls are named members of the form class and whose event
// handlers are bound by name from the same table.
//
//   class TMyForm : public Form {
//   public:
//     TMyForm() { Build(kWindow, kLayout, {SATCHEL_CONTROL(OkButton)}, {SATCHEL_CLICK(OkButtonClick)}); }
//     Control OkButton;
//     void OkButtonClick(Control &sender);
//   };
//
// The font is the dialogs' font (font.h); the background is the button face
// colour. No exception leaves the window procedure: it is shown as an error
// message.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/handle.h"
#include "ui/window/control.h"
#include "ui/window/font.h"
#include "ui/window/layout.h"
#include "ui/window/winclass.h"

namespace satchel::ui {

class Form {
public:
  Form(const Form &) = delete;
  Form &operator=(const Form &) = delete;
  virtual ~Form(); // destroys the window

  HWND Handle() const { return hwnd_; }
  std::string Caption() const;
  void SetCaption(const std::string &caption);

  // Shows without blocking (centred first, when the table says so).
  void Show();
  // Hides the window (the window and the object stay).
  void Close();
  // Runs the form modally: the thread's other enabled top-level windows are
  // disabled, a message loop runs until a modal result is set, then they are
  // enabled again, the form is hidden and the window that was active before
  // is activated again. Returns the modal result.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result);
  // Deferred release of a form made with new: posts a request to the form's
  // own window; when a message loop of the thread handles it, the window is
  // destroyed and the object deleted. Do not touch the object afterwards.
  // UniqueReleased<T> (base/handle.h) calls it.
  void Release() noexcept;
  // Moves the window to the centre of the screen.
  void CentreOnScreen();
  HFONT Font() const { return static_cast<HFONT>(font_.get()); }
  // Controls in creation (tab) order.
  const std::vector<Control *> &Controls() const { return order_; }

protected:
  Form() = default;
  // Creates the window (hidden) and its controls from the table, binding each
  // row to the member of its name and its handler names to the handlers.
  // Throws std::logic_error for a table that names an unknown member or
  // handler, and std::runtime_error when the window cannot be created.
  void Build(const FormDef &window, const ControlDef *table, std::size_t count,
             std::initializer_list<MemberBinding> members, std::initializer_list<HandlerBinding> handlers = {},
             HWND owner = nullptr);
  template <std::size_t N>
  void Build(const FormDef &window, const ControlDef (&table)[N], std::initializer_list<MemberBinding> members,
             std::initializer_list<HandlerBinding> handlers = {}, HWND owner = nullptr) {
    Build(window, table, N, members, handlers, owner);
  }

  // Window messages the form does not handle itself. Return true when
  // handled, with the result in `result`.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result);
  // WM_DROPFILES (register with DragAcceptFiles). The form owns `drop`.
  virtual void OnDropFiles(UniqueDrop drop);
  // Owner-drawn buttons (BS_OWNERDRAW) other than BitBtn rows.
  virtual void OnDrawItem(Control &control, const DRAWITEMSTRUCT &item);

private:
  friend class Control;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControl(const ControlDef &def, Control &c, int left, int top, bool startsGroup);
  Control *ById(int id);
  void ClickButton(Control &c);
  void ApplyVisibility(Control &c);
  void FocusFirstTabStop();

  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  ClassUse class_;
  bool centre_ = false;
  bool modal_ = false;
  int modalResult_ = 0;
  UniqueGdi font_;
  std::vector<Control *> order_;
  Control *default_ = nullptr;
  Control *cancel_ = nullptr;
  HWND lastFocus_ = nullptr;
};

// What a window procedure does with an exception a handler let out: shows
// its text. The message dialog installs itself here; until then a system
// message box shows it.
using ErrorReport = void (*)(const char *text);
void SetErrorReport(ErrorReport report) noexcept;
void ReportError(const char *text) noexcept;

} // namespace satchel::ui
