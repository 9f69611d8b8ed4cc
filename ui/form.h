// The dialog groundwork every window of the plug-in is built on: a form made
// from a layout table, whose controls are named members of the form class and
// whose event handlers are bound by name from the same table.
//
//   class TMyForm : public Form {
//   public:
//     TMyForm() { Build(kWindow, kLayout, {SATCHEL_CONTROL(OkButton)}, {SATCHEL_CLICK(OkButtonClick)}); }
//     Control OkButton;
//     void OkButtonClick(Control &sender);
//   };
//
// Sizes are pixels at 96 dpi. The font is the system's default GUI font at a
// character height of 12 pixels; the background is the button face colour.
// No exception leaves the window procedure: it is shown as an error message.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/handle.h"

namespace satchel::ui {

class Form;

enum class Kind {
  Label,       // static text; "&" marks an accelerator that focuses FocusControl
  Button,      // push button
  BitBtn,      // owner-drawn push button with a picture above its caption
  CheckBox,    // two-state check box
  RadioButton, // one of the radio buttons that share a parent
  GroupBox,    // frame; controls naming it as parent sit inside it
  Edit,        // one-line text box
  Memo,        // multi-line text box
  ListBox,
  ProgressBar,
  Icon, // static picture of an icon (STM_SETICON)
};

// Properties of a row, combined with |.
enum Prop : unsigned {
  Hidden = 1u << 0,
  Disabled = 1u << 1,
  Default = 1u << 2,  // Enter presses it
  Cancel = 1u << 3,   // Esc presses it
  ReadOnly = 1u << 4, // edit boxes
  VScroll = 1u << 5,
  HScroll = 1u << 6,
  WordWrap = 1u << 7,    // memos
  MultiSelect = 1u << 8, // list boxes: extended selection (Shift, Ctrl)
  AutoSize = 1u << 9,    // labels size themselves to their text
  FaceColor = 1u << 10,  // edit boxes on the button face colour
  NoTabStop = 1u << 11,
  WordBreak = 1u << 12, // labels wrap their text
  NoPrefix = 1u << 13,  // labels show "&" as it is
};

// One row of a layout table. Positions are relative to the form's client
// area, or to the group box named as `parent`. Controls are created in tab
// order (a label just before its `focus` control), which is also the order
// Tab follows and the Z order.
struct ControlDef {
  const char *name;
  Kind kind;
  int left, top, width, height;
  const char *text;
  int tabOrder; // -1: not a tab stop (labels, group boxes without order)
  unsigned props = 0;
  int modalResult = 0;           // buttons: closes a modal run with this result
  const char *onClick = nullptr; // handler name: clicks, and check changes
  const char *hint = nullptr;    // tooltip, always shown
  const char *parent = nullptr;  // group box name
  const char *focus = nullptr;   // labels: the control its accelerator focuses
  const char *onDblClick = nullptr;
  const char *onKeyDown = nullptr;
};

// The window itself. `width` and `height` are the outer size, or the client
// size when `clientSize` is set.
struct FormDef {
  const char *className; // window class, e.g. "TBkArcOptionForm"
  const char *caption;
  DWORD style;
  DWORD exStyle;
  int width, height;
  bool clientSize;
  bool centre; // centred on the screen whenever it is shown
};

// Window styles of the frames the dialogs use.
constexpr DWORD kSizeableFrame = WS_OVERLAPPEDWINDOW;
constexpr DWORD kDialogFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogFrameNoIcons = WS_POPUP | WS_CAPTION;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;

constexpr int kModalOk = 1;
constexpr int kModalCancel = 2;

// A control of a form: a child window plus what the table said about it.
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
  std::function<void(Control &)> onClick_, onDblClick_;
  std::function<void(Control &, WORD key, unsigned shift)> onKeyDown_;
  UniqueGdi picture_;
};

// Shift state handed to key handlers.
enum Shift : unsigned { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

using ClickHandler = std::function<void(Control &)>;
using KeyHandler = std::function<void(Control &, WORD key, unsigned shift)>;
struct MemberBinding {
  const char *name;
  Control *control;
};
struct HandlerBinding {
  const char *name;
  ClickHandler click;
  KeyHandler key;
  HandlerBinding(const char *n, ClickHandler c) : name(n), click(std::move(c)) {}
  HandlerBinding(const char *n, KeyHandler k) : name(n), key(std::move(k)) {}
};

// Binds the member of the same name: {"OkButton", &OkButton}.
#define SATCHEL_CONTROL(member)                                                                                        \
  ::satchel::ui::MemberBinding { #member, &(member) }
// Binds the handler of the same name to the table's references to it.
#define SATCHEL_CLICK(handler)                                                                                         \
  ::satchel::ui::HandlerBinding {                                                                                      \
#handler, ::satchel::ui::ClickHandler([this](::satchel::ui::Control &s) { handler(s); })                           \
  }
#define SATCHEL_KEY(handler)                                                                                           \
  ::satchel::ui::HandlerBinding {                                                                                      \
#handler, ::satchel::ui::KeyHandler([this](::satchel::ui::Control &s, WORD k, unsigned sh) { handler(s, k, sh); }) \
  }

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
  void Release();
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
  void CreateControl(const ControlDef &def, Control &c, HWND tooltip);
  Control *ById(int id);
  void ClickButton(Control &c);
  void CheckChanged(Control &c);
  void DrawBitBtn(Control &c, const DRAWITEMSTRUCT &item);
  void ReportError(const char *what) noexcept;
  void ApplyVisibility(Control &c);

  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  std::string className_;
  bool centre_ = false;
  bool modal_ = false;
  int modalResult_ = 0;
  UniqueGdi font_;
  std::vector<Control *> order_;
  Control *default_ = nullptr;
  Control *cancel_ = nullptr;
  HWND lastFocus_ = nullptr;
};

// The dialogs' font: the default GUI font's face, character height 12 px,
// DEFAULT_CHARSET.
UniqueGdi CreateDialogFont();
// Text size in pixels of `text` in `font`, on one line or wrapped at
// `maxWidth`; "&" counts as an accelerator mark unless `noPrefix`.
SIZE MeasureText(HFONT font, const std::string &text, int maxWidth = 0, bool noPrefix = false);

} // namespace satchel::ui
