// The layout builder: a form's window and controls from its table.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "base/module.h"
#include "ui/window/form.h"

namespace satchel::ui {
namespace {

constexpr int kFirstId = 100; // above IDOK/IDCANCEL, which dialog keys send

struct KindStyle {
  const char *cls;
  DWORD style;
  DWORD exStyle;
};

KindStyle StyleOf(const ControlDef &d) {
  auto p = [&](Prop f) { return (d.props & f) != 0; };
  switch (d.kind) {
  case Kind::Label:
    return {"Static",
            DWORD((p(WordBreak) ? SS_LEFT | SS_EDITCONTROL : SS_LEFTNOWORDWRAP) | (p(NoPrefix) ? SS_NOPREFIX : 0)), 0};
  case Kind::Button:
    return {"Button", DWORD(p(Default) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
  case Kind::BitBtn:
    return {"Button", BS_OWNERDRAW, 0};
  case Kind::CheckBox:
    return {"Button", BS_CHECKBOX, 0};
  case Kind::RadioButton:
    return {"Button", BS_RADIOBUTTON, 0};
  case Kind::GroupBox:
    return {"Button", BS_GROUPBOX, 0};
  case Kind::Edit:
    return {"Edit", DWORD(ES_AUTOHSCROLL | (p(ReadOnly) ? ES_READONLY : 0)), WS_EX_CLIENTEDGE};
  case Kind::Memo:
    return {"Edit",
            DWORD(ES_MULTILINE | ES_AUTOVSCROLL | (p(WordWrap) ? 0 : ES_AUTOHSCROLL) | (p(ReadOnly) ? ES_READONLY : 0) |
                  (p(VScroll) ? WS_VSCROLL : 0) | (p(HScroll) ? WS_HSCROLL : 0)),
            WS_EX_CLIENTEDGE};
  case Kind::ListBox:
    return {"ListBox", DWORD(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | (p(MultiSelect) ? LBS_EXTENDEDSEL : 0)),
            WS_EX_CLIENTEDGE};
  case Kind::ProgressBar:
    return {PROGRESS_CLASSA, 0, 0};
  case Kind::Icon:
    return {"Static", SS_ICON, 0};
  }
  return {"Static", 0, 0};
}

bool TakesFocus(Kind k) { return k != Kind::Label && k != Kind::GroupBox && k != Kind::Icon; }

bool Same(const char *a, const char *b) { return a && b && std::string_view(a) == b; }

// Creation order: by tab order within each parent (rows without one after
// those with one, in table order), a group box's rows right after it, a
// label right before the control its accelerator focuses.
std::vector<const ControlDef *> CreationOrder(const ControlDef *table, std::size_t count, const char *className) {
  std::vector<const ControlDef *> sequence;
  std::function<void(const char *)> emit = [&](const char *parent) {
    std::vector<const ControlDef *> rows;
    for (std::size_t i = 0; i < count; ++i) {
      const ControlDef &d = table[i];
      bool sameParent = parent ? Same(d.parent, parent) : !d.parent;
      if (sameParent && !d.focus)
        rows.push_back(&d);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ControlDef *a, const ControlDef *b) {
      return unsigned(a->tabOrder) < unsigned(b->tabOrder); // -1 sorts last
    });
    for (const ControlDef *d : rows) {
      for (std::size_t i = 0; i < count; ++i)
        if (Same(table[i].focus, d->name))
          sequence.push_back(&table[i]);
      sequence.push_back(d);
      if (d->kind == Kind::GroupBox)
        emit(d->name);
    }
  };
  emit(nullptr);
  if (sequence.size() != count)
    throw std::logic_error(std::string("a label focuses no row, or a parent is missing, in ") + className);
  return sequence;
}

void AddHint(HWND tooltip, HWND form, HWND control, const char *hint) {
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = form;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char *>(hint);
  SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

} // namespace

void Form::Build(const FormDef &window, const ControlDef *table, std::size_t count,
                 std::initializer_list<MemberBinding> members, std::initializer_list<HandlerBinding> handlers,
                 HWND owner) {
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;

  font_ = CreateDialogFont();
  class_.Acquire(window.className, WindowProc);
  centre_ = window.centre;
  RECT r{0, 0, window.width, window.height};
  if (window.clientSize)
    AdjustWindowRectEx(&r, window.style, FALSE, window.exStyle);
  if (!CreateWindowExA(window.exStyle | WS_EX_CONTROLPARENT, window.className, window.caption,
                       window.style & ~WS_VISIBLE, 0, 0, r.right - r.left, r.bottom - r.top, owner, nullptr,
                       ThisModule(), this))
    throw std::runtime_error(std::string("cannot create the window ") + window.className);

  auto member = [&](const char *name) -> Control & {
    for (const auto &m : members)
      if (Same(m.name, name))
        return *m.control;
    throw std::logic_error(std::string("no member ") + name + " in " + window.className);
  };
  auto handler = [&](const char *name) -> const HandlerBinding & {
    for (const auto &h : handlers)
      if (Same(h.name, name))
        return h;
    throw std::logic_error(std::string("no handler ") + name + " in " + window.className);
  };
  auto row = [&](const char *name) -> const ControlDef & {
    for (std::size_t i = 0; i < count; ++i)
      if (Same(table[i].name, name))
        return table[i];
    throw std::logic_error(std::string("no row ") + name + " in " + window.className);
  };

  if (std::any_of(table, table + count, [](const ControlDef &d) { return d.hint != nullptr; }))
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, hwnd_, nullptr, ThisModule(), nullptr);

  const ControlDef *previous = nullptr;
  for (const ControlDef *d : CreationOrder(table, count, window.className)) {
    Control &c = member(d->name);
    c.parent_ = d->parent ? &member(d->parent) : nullptr;
    if (d->onClick)
      c.onClick_ = handler(d->onClick).click;
    if (d->onDblClick)
      c.onDblClick_ = handler(d->onDblClick).click;
    if (d->onKeyDown)
      c.onKeyDown_ = handler(d->onKeyDown).key;
    if ((d->onClick && !c.onClick_) || (d->onDblClick && !c.onDblClick_) || (d->onKeyDown && !c.onKeyDown_))
      throw std::logic_error(std::string("handler of the wrong kind for ") + d->name);
    int left = d->left, top = d->top;
    if (d->parent) {
      left += row(d->parent).left;
      top += row(d->parent).top;
    }
    // Radio buttons of one parent form one group for the arrow keys.
    bool continuesGroup = previous && d->kind == Kind::RadioButton && previous->kind == Kind::RadioButton &&
                          previous->parent == d->parent;
    CreateControl(*d, c, left, top, !continuesGroup);
    previous = d;
  }
  for (Control *c : order_)
    ApplyVisibility(*c);
}

void Form::CreateControl(const ControlDef &d, Control &c, int left, int top, bool startsGroup) {
  c.form_ = this;
  c.name_ = d.name;
  c.kind_ = d.kind;
  c.tabOrder_ = d.tabOrder;
  c.props_ = d.props;
  c.modalResult_ = d.modalResult;
  c.shown_ = !(d.props & Hidden);

  KindStyle ks = StyleOf(d);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ks.style;
  if (startsGroup)
    style |= WS_GROUP;
  if (TakesFocus(d.kind) && d.tabOrder >= 0 && !(d.props & NoTabStop))
    style |= WS_TABSTOP;
  if (d.props & Disabled)
    style |= WS_DISABLED;
  int id = kFirstId + int(order_.size());
  c.hwnd_ = CreateWindowExA(ks.exStyle, ks.cls, d.text ? d.text : "", style, left, top, d.width, d.height, hwnd_,
                            reinterpret_cast<HMENU>(INT_PTR(id)), ThisModule(), nullptr);
  if (!c.hwnd_)
    throw std::runtime_error(std::string("cannot create the control ") + d.name);
  SendMessageA(c.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (d.kind == Kind::ProgressBar) {
    SendMessageA(c.hwnd_, PBM_SETRANGE32, 0, 100);
    SendMessageA(c.hwnd_, PBM_SETSTEP, 1, 0);
  }
  if (c.onKeyDown_)
    SetWindowSubclass(c.hwnd_, ControlProc, 1, reinterpret_cast<DWORD_PTR>(&c));
  if (d.kind == Kind::Label && (d.props & AutoSize))
    c.SetText(d.text ? d.text : "");
  if (d.props & Default)
    default_ = &c;
  if (d.props & Cancel)
    cancel_ = &c;
  if (d.hint && tooltip_)
    AddHint(tooltip_, hwnd_, c.hwnd_, d.hint);
  order_.push_back(&c);
}

Control *Form::ById(int id) {
  int i = id - kFirstId;
  return i >= 0 && i < int(order_.size()) ? order_[i] : nullptr;
}

} // namespace satchel::ui
