// A form's layout table: one row per control, read by the builder
// (Form::Build). The table names the members the controls become and the
// handlers their events go to; the SATCHEL_ macros bind both by name.
//
// Sizes are pixels at 96 dpi.
#pragma once
#include <windows.h>

#include <functional>

namespace satchel::ui {

class Control;

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

} // namespace satchel::ui
