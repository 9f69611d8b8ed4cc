#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "base/module.h"
#include "ui/msgdlg.h"

namespace satchel::ui {

namespace {

// Private request behind Release(): the form deletes itself when it arrives.
constexpr UINT kReleaseMessage = WM_APP + 0x1B0;
constexpr int kFirstId = 100; // above IDOK/IDCANCEL, which dialog keys send

// Window classes live as long as a window of theirs does, so a plug-in that
// is unloaded leaves no class behind whose window procedure is gone.
std::mutex classMutex;
std::map<std::string, int> classUsers;

void ReleaseClass(const std::string &name) {
  std::lock_guard<std::mutex> lock(classMutex);
  if (--classUsers[name] == 0) {
    classUsers.erase(name);
    UnregisterClassA(name.c_str(), ThisModule());
  }
}

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

} // namespace

// ---- Control ----

std::string Control::Text() const {
  std::string s(GetWindowTextLengthA(hwnd_) + 1, '\0');
  s.resize(GetWindowTextA(hwnd_, s.data(), int(s.size())));
  return s;
}

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

// ---- Form ----

UniqueGdi CreateDialogFont() {
  LOGFONTA lf{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = -12; // a character height of 12 pixels
  lf.lfWidth = 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  return UniqueGdi(CreateFontIndirectA(&lf));
}

SIZE MeasureText(HFONT font, const std::string &text, int maxWidth, bool noPrefix) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, maxWidth, 0};
  const std::string &t = text.empty() ? std::string(" ") : text;
  DrawTextA(dc, t.c_str(), int(t.size()), &r,
            DT_CALCRECT | (maxWidth > 0 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE) |
                (noPrefix ? DT_NOPREFIX : 0));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // A word longer than the line (a long path) is broken, never widened.
  return {maxWidth > 0 ? std::min<LONG>(r.right - r.left, maxWidth) : r.right - r.left, r.bottom - r.top};
}

Form::~Form() {
  if (hwnd_) {
    // No message of the destruction reaches a half-destroyed object.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (!className_.empty())
    ReleaseClass(className_);
}

void Form::Build(const FormDef &window, const ControlDef *table, std::size_t count,
                 std::initializer_list<MemberBinding> members, std::initializer_list<HandlerBinding> handlers,
                 HWND owner) {
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;

  font_ = CreateDialogFont();

  className_ = window.className;
  {
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers[className_]++ == 0) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = ThisModule();
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = className_.c_str();
      if (!RegisterClassExA(&wc) && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // Left behind by an earlier copy of this module: take it over.
        UnregisterClassA(className_.c_str(), ThisModule());
        RegisterClassExA(&wc);
      }
    }
  }
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
      if (std::string(m.name) == name)
        return *m.control;
    throw std::logic_error(std::string("no member ") + name + " in " + window.className);
  };
  auto handler = [&](const char *name) -> const HandlerBinding & {
    for (const auto &h : handlers)
      if (std::string(h.name) == name)
        return h;
    throw std::logic_error(std::string("no handler ") + name + " in " + window.className);
  };
  auto find = [&](const char *name) -> const ControlDef * {
    for (std::size_t i = 0; i < count; ++i)
      if (std::string(table[i].name) == name)
        return &table[i];
    throw std::logic_error(std::string("no row ") + name + " in " + window.className);
  };

  // Creation order: by tab order within each parent (rows without one after
  // those with one, in table order), a group box's rows right after it, a
  // label right before the control its accelerator focuses.
  std::vector<const ControlDef *> sequence;
  std::function<void(const char *)> emit = [&](const char *parent) {
    std::vector<const ControlDef *> rows;
    for (std::size_t i = 0; i < count; ++i) {
      const ControlDef &d = table[i];
      bool sameParent = parent ? (d.parent && std::string(d.parent) == parent) : !d.parent;
      if (sameParent && !d.focus)
        rows.push_back(&d);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ControlDef *a, const ControlDef *b) {
      return unsigned(a->tabOrder) < unsigned(b->tabOrder); // -1 sorts last
    });
    for (const ControlDef *d : rows) {
      for (std::size_t i = 0; i < count; ++i)
        if (table[i].focus && std::string(table[i].focus) == d->name)
          sequence.push_back(&table[i]);
      sequence.push_back(d);
      if (d->kind == Kind::GroupBox)
        emit(d->name);
    }
  };
  emit(nullptr);
  if (sequence.size() != count)
    throw std::logic_error(std::string("a label focuses no row, or a parent is missing, in ") + window.className);

  bool anyHint = std::any_of(table, table + count, [](const ControlDef &d) { return d.hint != nullptr; });
  if (anyHint) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, hwnd_, nullptr, ThisModule(), nullptr);
  }

  const ControlDef *previous = nullptr;
  for (const ControlDef *d : sequence) {
    Control &c = member(d->name);
    c.form_ = this;
    c.name_ = d->name;
    c.kind_ = d->kind;
    c.tabOrder_ = d->tabOrder;
    c.props_ = d->props;
    c.modalResult_ = d->modalResult;
    c.shown_ = !(d->props & Hidden);
    c.parent_ = d->parent ? &member(d->parent) : nullptr;
    if (d->onClick)
      c.onClick_ = handler(d->onClick).click;
    if (d->onDblClick)
      c.onDblClick_ = handler(d->onDblClick).click;
    if (d->onKeyDown)
      c.onKeyDown_ = handler(d->onKeyDown).key;
    if ((d->onClick && !c.onClick_) || (d->onDblClick && !c.onDblClick_) || (d->onKeyDown && !c.onKeyDown_))
      throw std::logic_error(std::string("handler of the wrong kind for ") + d->name);

    KindStyle ks = StyleOf(*d);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | ks.style;
    // Radio buttons of one parent form one group for the arrow keys.
    bool continuesGroup = previous && d->kind == Kind::RadioButton && previous->kind == Kind::RadioButton &&
                          previous->parent == d->parent;
    if (!continuesGroup)
      style |= WS_GROUP;
    if (TakesFocus(d->kind) && d->tabOrder >= 0 && !(d->props & NoTabStop))
      style |= WS_TABSTOP;
    if (d->props & Disabled)
      style |= WS_DISABLED;
    int left = d->left, top = d->top;
    if (d->parent) {
      const ControlDef *p = find(d->parent);
      left += p->left;
      top += p->top;
    }
    int id = kFirstId + int(order_.size());
    c.hwnd_ = CreateWindowExA(ks.exStyle, ks.cls, d->text ? d->text : "", style, left, top, d->width, d->height, hwnd_,
                              reinterpret_cast<HMENU>(INT_PTR(id)), ThisModule(), nullptr);
    if (!c.hwnd_)
      throw std::runtime_error(std::string("cannot create the control ") + d->name);
    SendMessageA(c.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (d->kind == Kind::ProgressBar) {
      SendMessageA(c.hwnd_, PBM_SETRANGE32, 0, 100);
      SendMessageA(c.hwnd_, PBM_SETSTEP, 1, 0);
    }
    if (c.onKeyDown_)
      SetWindowSubclass(c.hwnd_, ControlProc, 1, reinterpret_cast<DWORD_PTR>(&c));
    if (d->kind == Kind::Label && (d->props & AutoSize))
      c.SetText(d->text ? d->text : "");
    if (d->props & Default)
      default_ = &c;
    if (d->props & Cancel)
      cancel_ = &c;
    if (d->hint && tooltip_) {
      TTTOOLINFOA ti{};
      ti.cbSize = TTTOOLINFOA_V2_SIZE;
      ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      ti.hwnd = hwnd_;
      ti.uId = reinterpret_cast<UINT_PTR>(c.hwnd_);
      ti.lpszText = const_cast<char *>(d->hint);
      SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    order_.push_back(&c);
    previous = d;
  }
  for (Control *c : order_)
    ApplyVisibility(*c);
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

std::string Form::Caption() const {
  std::string s(GetWindowTextLengthA(hwnd_) + 1, '\0');
  s.resize(GetWindowTextA(hwnd_, s.data(), int(s.size())));
  return s;
}

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

void Form::SetModalResult(int result) {
  modalResult_ = result;
  // A click that arrived as a sent message leaves GetMessage waiting:
  // wake the modal loop so that it sees the result.
  if (modal_ && result != 0)
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Form::Release() { PostMessageA(hwnd_, kReleaseMessage, 0, 0); }

namespace {
struct DisableList {
  HWND self;
  HWND tooltip;
  std::vector<HWND> disabled;
};
BOOL CALLBACK DisableOther(HWND hwnd, LPARAM lp) {
  auto &d = *reinterpret_cast<DisableList *>(lp);
  if (hwnd != d.self && hwnd != d.tooltip && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    d.disabled.push_back(hwnd);
  }
  return TRUE;
}
} // namespace

int Form::ShowModal() {
  if (modal_)
    throw std::logic_error("the form already runs modally");
  HWND active = GetActiveWindow();
  if (GetCapture())
    ReleaseCapture();
  DisableList list{hwnd_, tooltip_, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&list));
  modal_ = true;
  modalResult_ = 0;
  Show();
  for (Control *c : order_)
    if ((GetWindowLongA(c->hwnd_, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c->hwnd_) && c->Enabled()) {
      c->SetFocus();
      break;
    }
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
  for (HWND w : list.disabled)
    if (IsWindow(w))
      EnableWindow(w, TRUE);
  if (IsWindow(hwnd_))
    ShowWindow(hwnd_, SW_HIDE);
  if (active && IsWindow(active))
    SetActiveWindow(active);
  return modalResult_ ? modalResult_ : kModalCancel;
}

bool Form::OnMessage(UINT, WPARAM, LPARAM, LRESULT &) { return false; }
void Form::OnDropFiles(UniqueDrop) {}
void Form::OnDrawItem(Control &, const DRAWITEMSTRUCT &) {}

Control *Form::ById(int id) {
  int i = id - kFirstId;
  return i >= 0 && i < int(order_.size()) ? order_[i] : nullptr;
}

void Form::ClickButton(Control &c) {
  if (c.modalResult_)
    SetModalResult(c.modalResult_);
  if (c.onClick_)
    c.onClick_(c);
}

void Form::ReportError(const char *what) noexcept {
  try {
    MessageDlg(what, MsgKind::Error);
  } catch (...) {
  }
}

void Form::DrawBitBtn(Control &c, const DRAWITEMSTRUCT &item) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  bool disabled = item.itemState & ODS_DISABLED, pressed = item.itemState & ODS_SELECTED;
  DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  std::string text = c.Text();
  HGDIOBJ oldFont = SelectObject(dc, font_.get());
  SIZE ts = MeasureText(Font(), text);
  BITMAP bm{};
  if (c.picture_)
    GetObjectA(c.picture_.get(), sizeof bm, &bm);
  const int gap = bm.bmHeight ? 4 : 0, shift = pressed ? 1 : 0;
  int top = (rc.bottom - rc.top - bm.bmHeight - gap - ts.cy) / 2 + shift;
  if (c.picture_)
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(c.picture_.get()), 0,
               (rc.right - rc.left - bm.bmWidth) / 2 + shift, top, bm.bmWidth, bm.bmHeight,
               DST_BITMAP | (disabled ? DSS_DISABLED : DSS_NORMAL));
  SetBkMode(dc, TRANSPARENT);
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), WPARAM(text.size()),
             (rc.right - rc.left - ts.cx) / 2 + shift, top + bm.bmHeight + gap, ts.cx, ts.cy,
             DST_PREFIXTEXT | (disabled ? DSS_DISABLED : DSS_NORMAL));
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&rc, -4, -4);
    DrawFocusRect(dc, &rc);
  }
  SelectObject(dc, oldFont);
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
      DrawBitBtn(*c, item);
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
  try {
    return form->Handle(msg, wp, lp);
  } catch (const std::exception &e) {
    form->ReportError(e.what());
  } catch (...) {
    form->ReportError("An unexpected error occurred.");
  }
  return 0;
}

LRESULT CALLBACK Form::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto &c = *reinterpret_cast<Control *>(ref);
  if (msg == WM_KEYDOWN && c.onKeyDown_) {
    try {
      c.onKeyDown_(c, WORD(wp), ShiftState());
    } catch (const std::exception &e) {
      c.form_->ReportError(e.what());
    } catch (...) {
      c.form_->ReportError("An unexpected error occurred.");
    }
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlProc, 1);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace satchel::ui
