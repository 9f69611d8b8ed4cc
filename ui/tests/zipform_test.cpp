// The attachment dialog as a real window under Wine: its layout against the
// documented table, the keyboard, the naming of the archive as files come in
// and the type and self-extract options change, driven by the messages a user
// produces (drops, clicks, keys, the file-open dialog).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "tests/files_support.h"
#include "tests/uidriver/uidriver.h"
#include "ui/zipform.h"

namespace ud = satchel::uidriver;
using namespace satchel::ui;
using satchel_test::TempFolder;
using satchel_test::WriteFile;

namespace {

const char kNoSfxForType[] = "この形式では自己解凍ファイルが作成できません。";

// Drops onto a form of this thread: the window procedure handles it at once.
void Drop(TZipListForm &f, const std::vector<std::string> &paths) {
  SendMessageA(f.Handle(), WM_DROPFILES, WPARAM(ud::MakeDrop(paths)), 0);
}

std::vector<std::string> ListEntries(HWND list) {
  std::vector<std::string> out;
  int n = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::string s(size_t(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, i, LPARAM(s.data()));
    out.push_back(s);
  }
  return out;
}

// A click as the mouse gives it, on a control of this thread.
void ClickHere(Control &c) {
  ASSERT_TRUE(c.Enabled()) << c.Name() << " cannot be clicked";
  c.Send(BM_CLICK);
}

// What a modal run left behind, read on the dialog's own thread.
struct Outcome {
  int modalResult = 0;
  std::string zipFileName, name;
  std::vector<std::string> files;
};

// The dialog running modally on a thread of its own, as the command runs it;
// the test thread plays the user. `setup` runs on the dialog's thread before
// the modal run, as the command applies the settings.
class ModalForm {
public:
  explicit ModalForm(std::function<void(TZipListForm &)> setup = {}) {
    std::promise<TZipListForm *> created;
    auto ready = created.get_future();
    done_ = ud::RunOnThread([setup, &created] {
      Outcome o;
      bool published = false;
      try {
        TZipListForm f;
        if (setup)
          setup(f);
        created.set_value(&f);
        published = true;
        o.modalResult = f.ShowModal();
        o.zipFileName = f.ZipFileName();
        o.name = f.FileNameEdit.Text();
        o.files = f.Files();
      } catch (...) {
        if (!published)
          created.set_value(nullptr);
      }
      return o;
    });
    form_ = ready.get();
    if (form_)
      window_ = ud::WaitForWindow("Zip and attach", "TZipListForm");
  }
  // A test that stopped half-way leaves windows open: close them all, the
  // dialog's own boxes first, so the run ends.
  ~ModalForm() {
    if (!done_.valid())
      return;
    for (int i = 0; i < 500 && Running(); ++i) {
      for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && IsWindowEnabled(w))
          PostMessageA(w, WM_CLOSE, 0, 0);
      }
      Sleep(20);
    }
  }
  bool ok() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  // The dialog's controls; their handles are fixed once it is built.
  TZipListForm &form() const { return *form_; }
  std::string Name() const { return ud::WindowText(form_->FileNameEdit.Handle()); }
  std::vector<std::string> Files() const { return ListEntries(form_->FilesListBox.Handle()); }
  void Drop(const std::vector<std::string> &paths) const {
    PostMessageA(window_, WM_DROPFILES, WPARAM(ud::MakeDrop(paths)), 0);
    Flush();
  }
  // Waits until the dialog's thread has handled everything posted to it so
  // far: a check mark posted after it shows up, and is then taken back.
  void Flush() const {
    HWND box = form_->ShowResultCheckBox.Handle();
    WPARAM was = WPARAM(SendMessageA(box, BM_GETCHECK, 0, 0));
    for (WPARAM state : {was ^ 1, was}) {
      PostMessageA(box, BM_SETCHECK, state, 0);
      ud::WaitUntil([&] { return WPARAM(SendMessageA(box, BM_GETCHECK, 0, 0)) == state; });
    }
  }
  bool Running() const { return done_.wait_for(std::chrono::milliseconds(0)) == std::future_status::timeout; }
  Outcome Wait() {
    if (done_.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
      return {};
    return done_.get();
  }

private:
  TZipListForm *form_ = nullptr;
  HWND window_ = nullptr;
  std::future<Outcome> done_;
};

HWND Focused(HWND window) {
  GUITHREADINFO gti{};
  gti.cbSize = sizeof gti;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gti);
  return gti.hwndFocus;
}

void PostKey(HWND target, UINT vk) {
  UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

// Alt and a letter, as the keyboard delivers an accelerator.
void PostAltLetter(HWND target, char letter) {
  PostMessageA(target, WM_SYSCHAR, WPARAM(letter), LPARAM(1 | (1u << 29)));
}

RECT ClientRectOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT *>(&r), 2);
  return r;
}

// ---- Layout ----

struct Row {
  Control TZipListForm::*member;
  const char *name;
  const char *cls;
  const char *text;
  int left, top, width, height;
  bool visible;
};

// The documented layout, in tab order (positions within the client area).
const Row kTabOrder[] = {
    {&TZipListForm::FilesListBox, "FilesListBox", "ListBox", "", 8, 32, 345, 217, true},
    {&TZipListForm::AddButton, "AddButton", "Button", "&Add", 360, 32, 99, 25, true},
    {&TZipListForm::RemoveButton, "RemoveButton", "Button", "&Remove", 360, 64, 99, 25, true},
    {&TZipListForm::FileNameEdit, "FileNameEdit", "Edit", "", 16, 272, 329, 20, true},
    {&TZipListForm::AttachBitBtn, "AttachBitBtn", "Button", "A&ttach", 360, 104, 99, 65, true},
    {&TZipListForm::CancelButton, "CancelButton", "Button", "&Cancel", 360, 216, 99, 25, true},
    {&TZipListForm::ShowResultCheckBox, "ShowResultCheckBox", "Button", "S&how result", 360, 256, 97, 17, true},
    {&TZipListForm::SfxCheckBox, "SfxCheckBox", "Button", "&Self-extract", 360, 280, 97, 17, true},
    {&TZipListForm::ArcGroupBox, "ArcGroupBox", "Button", "圧縮形式(&O)", 16, 304, 409, 41, false},
    {&TZipListForm::FolderAttachButton, "FolderAttachButton", "Button", "Attach fol&der...", 360, 176, 99, 25, true},
};

// The five type radio buttons, by code, placed within the group box at
// (16, 304).
const Row kRadios[] = {
    {&TZipListForm::LhaRadioButton, "LhaRadioButton", "Button", "Lha", 16 + 16, 304 + 16, 49, 17, false},
    {&TZipListForm::ZipRadioButton, "ZipRadioButton", "Button", "Zip", 16 + 88, 304 + 16, 49, 17, false},
    {&TZipListForm::CabRadioButton, "CabRadioButton", "Button", "Cab", 16 + 168, 304 + 16, 49, 17, false},
    {&TZipListForm::TgzRadioButton, "TgzRadioButton", "Button", "tar+gzip", 16 + 248, 304 + 16, 65, 17, false},
    {&TZipListForm::Bz2RadioButton, "Bz2RadioButton", "Button", "tar+bzip2", 16 + 328, 304 + 16, 65, 17, false},
};

void ExpectPlaced(TZipListForm &f, const Row &row) {
  SCOPED_TRACE(row.name);
  HWND h = (f.*row.member).Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ud::ClassName(h), row.cls);
  EXPECT_EQ(ud::WindowText(h), row.text);
  RECT r = ClientRectOf(h);
  EXPECT_EQ(r.left, row.left);
  EXPECT_EQ(r.top, row.top);
  EXPECT_EQ(r.right - r.left, row.width);
  EXPECT_EQ(r.bottom - r.top, row.height);
  EXPECT_EQ(IsWindowVisible(h) != FALSE, row.visible);
  EXPECT_TRUE(IsWindowEnabled(h));
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
}

TEST(ZipListFormLayout, WindowAndControlsAsTheTableGivesThem) {
  TZipListForm f;
  f.Show();
  HWND w = f.Handle();
  EXPECT_EQ(ud::WindowText(w), "Zip and attach");
  EXPECT_EQ(ud::ClassName(w), "TZipListForm");
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_EQ(rc.right, 472);
  EXPECT_EQ(rc.bottom, 353);
  LONG style = GetWindowLongA(w, GWL_STYLE);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "the close box";
  EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed dialog frame";

  for (const Row &row : kTabOrder)
    ExpectPlaced(f, row);
  for (const Row &row : kRadios)
    ExpectPlaced(f, row);

  // The labels: their accelerators lead to the control that follows them.
  RECT r = ClientRectOf(f.ListLabel.Handle());
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.top, 8);
  EXPECT_EQ(ud::WindowText(f.ListLabel.Handle()), "&List of files to attach:");
  r = ClientRectOf(f.FileNameLabel.Handle());
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.top, 256);
  EXPECT_EQ(ud::WindowText(f.FileNameLabel.Handle()), "&File name of attachment:");

  // The window's child order is the tab order (radio buttons inside their
  // box, each label right before its control).
  std::vector<HWND> expected;
  for (const Row &row : kTabOrder) {
    if (row.member == &TZipListForm::FilesListBox)
      expected.push_back(f.ListLabel.Handle());
    if (row.member == &TZipListForm::FileNameEdit)
      expected.push_back(f.FileNameLabel.Handle());
    expected.push_back((f.*row.member).Handle());
    if (row.member == &TZipListForm::ArcGroupBox)
      for (const Row &radio : kRadios)
        expected.push_back((f.*radio.member).Handle());
  }
  std::vector<HWND> children;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  EXPECT_EQ(children, expected);

  // Kinds: an unsorted multiple-selection list of 12-pixel items, a one-line
  // text box, push buttons none of which is the default, two check boxes.
  LONG ls = GetWindowLongA(f.FilesListBox.Handle(), GWL_STYLE);
  EXPECT_TRUE(ls & LBS_EXTENDEDSEL);
  EXPECT_FALSE(ls & LBS_SORT);
  EXPECT_EQ(f.FilesListBox.Send(LB_GETITEMHEIGHT, 0), 12);
  EXPECT_FALSE(GetWindowLongA(f.FileNameEdit.Handle(), GWL_STYLE) & ES_MULTILINE);
  for (Control *c : {&f.AddButton, &f.RemoveButton, &f.AttachBitBtn, &f.CancelButton, &f.FolderAttachButton}) {
    LONG type = GetWindowLongA(c->Handle(), GWL_STYLE) & BS_TYPEMASK;
    EXPECT_TRUE(type == BS_PUSHBUTTON || type == BS_OWNERDRAW) << c->Name();
    EXPECT_FALSE(c->Send(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON) << c->Name();
  }
  for (Control *c : {&f.ShowResultCheckBox, &f.SfxCheckBox}) {
    LONG type = GetWindowLongA(c->Handle(), GWL_STYLE) & BS_TYPEMASK;
    EXPECT_TRUE(type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) << c->Name();
    EXPECT_FALSE(c->Checked()) << c->Name();
  }
  EXPECT_EQ(GetWindowLongA(f.ArcGroupBox.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  // The dialog starts as a Zip one.
  for (int code = 0; code < 5; ++code) {
    LONG type = GetWindowLongA((f.*kRadios[code].member).Handle(), GWL_STYLE) & BS_TYPEMASK;
    EXPECT_TRUE(type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) << kRadios[code].name;
    EXPECT_EQ((f.*kRadios[code].member).Checked(), code == 1) << kRadios[code].name;
  }
  EXPECT_EQ(f.ArchiveType(), 1);
  EXPECT_TRUE(f.ZipFileName().empty());
  EXPECT_TRUE(f.Files().empty());
  EXPECT_EQ(f.FileNameEdit.Text(), "");
}

// The hints are tooltips of their controls, shown whether or not the window
// is active; the self-extract box has none.
TEST(ZipListFormLayout, HintsAreTooltipsOfTheirControls) {
  TZipListForm f;
  HWND tip = nullptr;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (ud::ClassName(w) == TOOLTIPS_CLASSA && GetWindow(w, GW_OWNER) == f.Handle())
      tip = w;
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(GetWindowLongA(tip, GWL_STYLE) & TTS_ALWAYSTIP);
  std::map<HWND, std::string> tools;
  int count = int(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.lpszText = text;
    ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, i, LPARAM(&ti)));
    HWND tool = (ti.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(ti.uId) : nullptr;
    tools[tool] = text;
  }
  EXPECT_EQ(tools, (std::map<HWND, std::string>{{f.FilesListBox.Handle(), "You can drop file(s) here to add"},
                                                {f.FileNameEdit.Handle(), "Extension is automatically set."}}));
}

// Counts pixels of a strong red, and their bounding box.
struct RedPixels {
  int count = 0;
  RECT box{1000, 1000, -1, -1};
};

RedPixels DrawAttachButton(TZipListForm &f, bool disabled) {
  RECT rc;
  GetClientRect(f.AttachBitBtn.Handle(), &rc);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = rc.right;
  bi.bmiHeader.biHeight = -rc.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = UINT(GetDlgCtrlID(f.AttachBitBtn.Handle()));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = disabled ? ODS_DISABLED : 0;
  item.hwndItem = f.AttachBitBtn.Handle();
  item.hDC = dc;
  item.rcItem = rc;
  SendMessageA(f.Handle(), WM_DRAWITEM, item.CtlID, LPARAM(&item));
  GdiFlush();
  RedPixels red;
  auto *px = static_cast<const DWORD *>(bits);
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) {
      DWORD p = px[y * rc.right + x];
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 150 && g < 90 && b < 90) {
        ++red.count;
        red.box = {std::min<LONG>(red.box.left, x), std::min<LONG>(red.box.top, y),
                   std::max<LONG>(red.box.right, x + 1), std::max<LONG>(red.box.bottom, y + 1)};
      }
    }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return red;
}

TEST(ZipListFormLayout, AttachButtonShowsItsRedArrowAboveTheCaptionAndAGreyTwinWhenDisabled) {
  TZipListForm f;
  RedPixels enabled = DrawAttachButton(f, false);
  ASSERT_GT(enabled.count, 4);
  EXPECT_LE(enabled.box.right - enabled.box.left, 16);
  EXPECT_LE(enabled.box.bottom - enabled.box.top, 16);
  EXPECT_LT(enabled.box.bottom, 65 / 2 + 4) << "the picture sits above the caption";
  EXPECT_EQ(DrawAttachButton(f, true).count, 0) << "the disabled picture is grey";
}

// ---- The keyboard ----

// The focus belongs to the active window, and test programs running at the
// same time share the desktop and may take the activation. A keyboard step
// therefore makes the dialog active first, and is repeated when the focus
// was lost before the key arrived.
class Keyboard {
public:
  explicit Keyboard(HWND window) : w_(window) {}
  // Presses (through `press`, given the focused control) until the focus is
  // on `expected`.
  bool Step(const std::function<void(HWND focused)> &press, HWND expected) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (!Activate())
        continue;
      if (Focused(w_) == expected)
        return true; // the key was handled just before the activation went
      press(Focused(w_));
      if (ud::WaitUntil([&] { return Focused(w_) == expected; }, 1000))
        return true;
      if (GetForegroundWindow() == w_)
        return false;
    }
    return false;
  }
  bool Activate() {
    if (GetForegroundWindow() != w_)
      SetForegroundWindow(w_);
    return ud::WaitUntil([&] { return GetForegroundWindow() == w_ && Focused(w_); }, 2000);
  }

private:
  HWND w_;
};

TEST(ZipListFormKeys, TabFollowsTheTableAcceleratorsReachTheirControlsAndEnterOrEscDoNothing) {
  ud::BoxWatcher warnings("警告");
  ModalForm run;
  ASSERT_TRUE(run.ok());
  TZipListForm &f = run.form();
  HWND w = run.window();
  Keyboard keys(w);
  // The first tab stop has the focus; Tab visits the visible, enabled tab
  // stops in the documented order, round to the start.
  ASSERT_TRUE(keys.Step([](HWND) {}, f.FilesListBox.Handle()));
  const std::vector<HWND> cycle = {
      f.AddButton.Handle(),    f.RemoveButton.Handle(),       f.FileNameEdit.Handle(),
      f.AttachBitBtn.Handle(), f.CancelButton.Handle(),       f.ShowResultCheckBox.Handle(),
      f.SfxCheckBox.Handle(),  f.FolderAttachButton.Handle(), f.FilesListBox.Handle()};
  for (HWND next : cycle)
    EXPECT_TRUE(keys.Step([](HWND focused) { PostKey(focused, VK_TAB); }, next)) << ud::WindowText(next);
  // The labels' accelerators.
  EXPECT_TRUE(keys.Step([](HWND focused) { PostAltLetter(focused, 'f'); }, f.FileNameEdit.Handle()));
  EXPECT_TRUE(keys.Step([](HWND focused) { PostAltLetter(focused, 'l'); }, f.FilesListBox.Handle()));
  // Enter and Esc, in the name field and in the list, press no button.
  for (HWND target : {f.FileNameEdit.Handle(), f.FilesListBox.Handle()}) {
    PostKey(target, VK_RETURN);
    PostKey(target, VK_ESCAPE);
  }
  run.Flush();
  EXPECT_EQ(ud::WaitForWindow("警告", "", 300), nullptr) << "Attach was pressed";
  EXPECT_TRUE(run.Running());
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(warnings.Texts().empty());
  // Cancel closes it with the cancel result and nothing named.
  ASSERT_TRUE(ud::Click(f.CancelButton.Handle()));
  Outcome o = run.Wait();
  EXPECT_EQ(o.modalResult, kModalCancel);
  EXPECT_EQ(o.zipFileName, "");
  EXPECT_TRUE(warnings.Texts().empty());
}

// ---- Naming ----

struct NameCase {
  std::string dropped, name, sfxName;
};

TEST(ZipListFormNaming, ADroppedFileNamesTheArchiveWithTheTypesExtensionOrExe) {
  std::vector<NameCase> cases = {
      {"C:\\docs\\report.doc", "report.zip", "report.exe"},
      {"C:\\docs\\archive.tar.gz", "archive.tar.zip", "archive.tar.exe"},
      {"C:\\docs\\readme", "readme.zip", "readme.exe"},
      {"C:\\data.v2\\readme", "readme.zip", "readme.exe"},
      {"C:\\docs\\.profile", ".zip", ".exe"},
  };
  if (GetACP() == 1252)
    cases.push_back({"C:\\docs\\R\xE9sum\xE9 caf\xE9.doc", "R\xE9sum\xE9 caf\xE9.zip", "R\xE9sum\xE9 caf\xE9.exe"});
  if (GetACP() == 932) {
    // 表 is 95 5C: its second byte is no folder separator.
    cases.push_back({"C:\\表\\資料表.doc", "資料表.zip", "資料表.exe"});
    cases.push_back({"C:\\資料\\資料表", "資料表.zip", "資料表.exe"});
    cases.push_back({"C:\\資料表\\表", "表.zip", "表.exe"});
  }
  ud::BoxWatcher errors("エラー");
  for (const NameCase &c : cases) {
    SCOPED_TRACE(c.dropped);
    TZipListForm f;
    Drop(f, {c.dropped});
    EXPECT_EQ(f.Files(), std::vector<std::string>{c.dropped});
    EXPECT_EQ(f.FileNameEdit.Text(), c.name);
    ClickHere(f.SfxCheckBox);
    EXPECT_TRUE(f.IsSfx());
    EXPECT_EQ(f.FileNameEdit.Text(), c.sfxName);
    EXPECT_EQ(f.MIMEType(), "application/zip");
    ClickHere(f.SfxCheckBox);
    EXPECT_FALSE(f.IsSfx());
    EXPECT_EQ(f.FileNameEdit.Text(), c.name);
    EXPECT_EQ(f.MIMEType(), "application/zip");
  }
  EXPECT_TRUE(errors.Texts().empty());
}

TEST(ZipListFormNaming, ALaterDropKeepsTheNameAndATypedNameGetsOnlyItsExtensionReplaced) {
  TZipListForm f;
  Drop(f, {"C:\\docs\\report.doc"});
  Drop(f, {"C:\\docs\\other.txt", "C:\\docs\\report.doc"});
  EXPECT_EQ(f.Files(),
            (std::vector<std::string>{"C:\\docs\\report.doc", "C:\\docs\\other.txt", "C:\\docs\\report.doc"}));
  EXPECT_EQ(f.FileNameEdit.Text(), "report.zip");
  // A name typed by hand keeps its stem when the option changes.
  SetWindowTextA(f.FileNameEdit.Handle(), "Q3 figures.final");
  ClickHere(f.SfxCheckBox);
  EXPECT_EQ(f.FileNameEdit.Text(), "Q3 figures.exe");
  // The setters apply the naming rule even when nothing changes.
  SetWindowTextA(f.FileNameEdit.Handle(), "notes.txt");
  f.SetIsSfx(true);
  EXPECT_EQ(f.FileNameEdit.Text(), "notes.exe");
  f.SetIsSfx(false);
  SetWindowTextA(f.FileNameEdit.Handle(), "notes.txt");
  f.SetArchiveType(1);
  EXPECT_EQ(f.FileNameEdit.Text(), "notes.zip");
  // An emptied name stays empty.
  SetWindowTextA(f.FileNameEdit.Handle(), "");
  ClickHere(f.SfxCheckBox);
  EXPECT_EQ(f.FileNameEdit.Text(), "");
}

TEST(ZipListFormNaming, DoubleClickNamesTheArchiveAfterTheClickedEntry) {
  ModalForm run;
  ASSERT_TRUE(run.ok());
  TZipListForm &f = run.form();
  std::vector<std::string> entries = {"C:\\docs\\first.doc", "D:\\data\\plan.txt"};
  if (GetACP() == 932)
    entries.push_back("D:\\data\\資料表");
  run.Drop(entries);
  ASSERT_EQ(run.Name(), "first.zip");
  ASSERT_TRUE(ud::Click(f.SfxCheckBox.Handle()));
  ASSERT_EQ(run.Name(), "first.exe");
  HWND list = f.FilesListBox.Handle();
  auto doubleClick = [&](int index) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, index, LPARAM(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    run.Flush();
  };
  doubleClick(1);
  EXPECT_EQ(run.Name(), "plan.exe");
  if (GetACP() == 932) {
    ASSERT_TRUE(ud::Click(f.SfxCheckBox.Handle()));
    doubleClick(2);
    EXPECT_EQ(run.Name(), "資料表.zip");
  }
  EXPECT_EQ(run.Files(), entries) << "the list does not change";
  ASSERT_TRUE(ud::Click(f.CancelButton.Handle()));
  EXPECT_EQ(run.Wait().zipFileName, "");
}

TEST(ZipListFormList, DeleteKeyAndRemoveTakeOutTheSelectedEntriesAndKeepTheName) {
  ud::BoxWatcher errors("エラー");
  ModalForm run;
  ASSERT_TRUE(run.ok());
  TZipListForm &f = run.form();
  HWND list = f.FilesListBox.Handle();
  run.Drop({"C:\\a\\one.txt", "C:\\a\\two.txt", "C:\\a\\three.txt"});
  ASSERT_EQ(run.Name(), "one.zip");
  SendMessageA(list, LB_SETSEL, FALSE, -1);
  SendMessageA(list, LB_SETSEL, TRUE, 0);
  SendMessageA(list, LB_SETSEL, TRUE, 2);
  PostKey(list, VK_DELETE);
  run.Flush();
  EXPECT_EQ(run.Files(), std::vector<std::string>{"C:\\a\\two.txt"});
  EXPECT_EQ(run.Name(), "one.zip");
  // Other keys keep the list's own behaviour: nothing is removed.
  PostKey(list, VK_BACK);
  PostKey(list, 'X');
  run.Flush();
  EXPECT_EQ(run.Files().size(), 1u);
  // Remove with nothing selected changes nothing; with the entry selected it
  // empties the list.
  SendMessageA(list, LB_SETSEL, FALSE, -1);
  ASSERT_TRUE(ud::Click(f.RemoveButton.Handle()));
  EXPECT_EQ(run.Files(), std::vector<std::string>{"C:\\a\\two.txt"});
  SendMessageA(list, LB_SETSEL, TRUE, 0);
  ASSERT_TRUE(ud::Click(f.RemoveButton.Handle()));
  EXPECT_TRUE(run.Files().empty());
  EXPECT_EQ(run.Name(), "one.zip");
  // A double-click on the empty list names nothing and reports nothing.
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  run.Flush();
  EXPECT_EQ(run.Name(), "one.zip");
  EXPECT_TRUE(errors.Texts().empty());
  ASSERT_TRUE(ud::Click(f.CancelButton.Handle()));
  run.Wait();
}

TEST(ZipListFormList, DeleteRemovesWhateverModifierIsHeldAndOtherKeysRemoveNothing) {
  TZipListForm f;
  Drop(f, {"C:\\a\\one.txt", "C:\\a\\two.txt", "C:\\a\\three.txt"});
  f.FilesListBox.Send(LB_SETSEL, TRUE, 1);
  for (WORD key : {WORD(VK_BACK), WORD(VK_INSERT), WORD('D')})
    f.FilesListBoxKeyDown(f.FilesListBox, key, 0);
  EXPECT_EQ(f.Files().size(), 3u);
  f.FilesListBoxKeyDown(f.FilesListBox, VK_DELETE, ShiftKey | CtrlKey | AltKey);
  EXPECT_EQ(f.Files(), (std::vector<std::string>{"C:\\a\\one.txt", "C:\\a\\three.txt"}));
  f.FilesListBox.Send(LB_SETSEL, TRUE, 0);
  f.FilesListBoxKeyDown(f.FilesListBox, VK_DELETE, CtrlKey);
  EXPECT_EQ(f.Files(), std::vector<std::string>{"C:\\a\\three.txt"});
  EXPECT_EQ(f.FileNameEdit.Text(), "one.zip");
}

// The common file-open dialog, as a user fills it in.
class OpenDialog {
public:
  explicit OpenDialog(HWND owner) {
    ud::WaitUntil([&] {
      HWND d = ud::WaitForWindow("", "#32770", 0);
      if (d && GetWindow(d, GW_OWNER) == owner)
        dlg_ = d;
      return dlg_ != nullptr;
    });
  }
  bool ok() const { return dlg_ != nullptr; }
  // Types into the file name field and presses Open.
  void Open(const std::string &text) {
    HWND edit = NameField();
    if (!edit)
      for (const auto &c : ud::Controls(dlg_))
        ADD_FAILURE() << c.cls << " " << c.id << " \"" << c.text << "\" visible " << c.visible;
    ASSERT_NE(edit, nullptr);
    ud::Type(edit, text);
    ASSERT_TRUE(ud::Click(GetDlgItem(dlg_, IDOK)));
  }
  void Cancel() { ASSERT_TRUE(ud::Click(GetDlgItem(dlg_, IDCANCEL))); }
  bool Gone() { return ud::WaitGone(dlg_); }

private:
  HWND NameField() const {
    // The edit box of the file name combo box (cmb13), or a plain edt1.
    for (const auto &c : ud::Controls(dlg_))
      if (c.cls == "Edit" && c.visible && (c.id == 0x47c || c.id == 0x480))
        return c.hwnd;
    return nullptr;
  }
  HWND dlg_ = nullptr;
};

TEST(ZipListFormList, AddAppendsTheChosenFilesAndNamesTheArchiveAfterTheFirstEntry) {
  TempFolder dir;
  // The file-open dialog moves the process's current folder into `dir`;
  // it is put back before the folder is removed.
  struct KeepCurrentFolder {
    char saved[MAX_PATH] = "";
    KeepCurrentFolder() { GetCurrentDirectoryA(MAX_PATH, saved); }
    ~KeepCurrentFolder() { SetCurrentDirectoryA(saved); }
  } keepFolder;
  for (const char *n : {"one.doc", "a.txt", "b.txt"})
    WriteFile(dir / n, n);
  std::string folder = dir / "";
  folder.pop_back();

  ModalForm run;
  ASSERT_TRUE(run.ok());
  TZipListForm &f = run.form();
  // One file: its full path, and the name after it.
  ASSERT_TRUE(ud::Click(f.AddButton.Handle()));
  {
    OpenDialog open(run.window());
    ASSERT_TRUE(open.ok());
    open.Open(dir / "one.doc");
    ASSERT_TRUE(open.Gone());
  }
  ASSERT_TRUE(ud::WaitUntil([&] { return run.Files().size() == 1; }));
  EXPECT_EQ(run.Files(), std::vector<std::string>{dir / "one.doc"});
  EXPECT_EQ(run.Name(), "one.zip");

  // Two more, after the user typed a name of their own: the name comes from
  // entry 0 again.
  ud::Type(f.FileNameEdit.Handle(), "my own name");
  ASSERT_TRUE(ud::Click(f.AddButton.Handle()));
  {
    OpenDialog open(run.window());
    ASSERT_TRUE(open.ok());
    open.Open(folder);
    ud::Sync(run.window());
    open.Open("\"b.txt\" \"a.txt\"");
    ASSERT_TRUE(open.Gone());
  }
  ASSERT_TRUE(ud::WaitUntil([&] { return run.Files().size() == 3; }));
  // In the order the dialog reports them: as typed.
  EXPECT_EQ(run.Files(), (std::vector<std::string>{dir / "one.doc", dir / "b.txt", dir / "a.txt"}));
  EXPECT_EQ(run.Name(), "one.zip");

  // Cancelling the file-open dialog changes nothing.
  ud::Type(f.FileNameEdit.Handle(), "kept");
  ASSERT_TRUE(ud::Click(f.AddButton.Handle()));
  {
    OpenDialog open(run.window());
    ASSERT_TRUE(open.ok());
    open.Cancel();
    ASSERT_TRUE(open.Gone());
  }
  ud::Sync(run.window());
  EXPECT_EQ(run.Files().size(), 3u);
  EXPECT_EQ(run.Name(), "kept");
  ASSERT_TRUE(ud::Click(f.CancelButton.Handle()));
  EXPECT_EQ(run.Wait().zipFileName, "");
}

// ---- Archive types ----

TEST(ZipListFormTypes, EachCodeHasItsExtensionAndMimeTypeAndUnknownCodesAreIgnored) {
  struct TypeCase {
    int code;
    const char *ext, *mime;
  };
  const TypeCase types[] = {{0, ".lzh", "application/x-lha"},
                            {1, ".zip", "application/zip"},
                            {2, ".cab", "application/x-compressed"},
                            {3, ".tgz", "application/x-compressed"},
                            {4, ".bz2", "application/x-compressed"}};
  ud::BoxWatcher errors("エラー");
  for (const TypeCase &t : types) {
    SCOPED_TRACE(t.code);
    TZipListForm f;
    f.SetArchiveType(t.code);
    EXPECT_EQ(f.ArchiveType(), t.code);
    EXPECT_EQ(f.GetArchiveExt(), t.ext);
    EXPECT_EQ(f.MIMEType(), t.mime);
    EXPECT_TRUE((f.*kRadios[t.code].member).Checked());
    Drop(f, {"C:\\docs\\report.doc"});
    EXPECT_EQ(f.FileNameEdit.Text(), std::string("report") + t.ext);
    // The self-extracting program of a type keeps the type's MIME type.
    if (t.code <= 2) {
      f.SetIsSfx(true);
      EXPECT_EQ(f.FileNameEdit.Text(), "report.exe");
      EXPECT_EQ(f.MIMEType(), t.mime);
    }
  }
  for (int bad : {-1, 5, 7}) {
    SCOPED_TRACE(bad);
    TZipListForm f;
    f.SetArchiveType(bad);
    EXPECT_EQ(f.ArchiveType(), 1);
    EXPECT_EQ(f.MIMEType(), "application/zip");
    Drop(f, {"C:\\docs\\report.doc"});
    EXPECT_EQ(f.FileNameEdit.Text(), "report.zip");
    // Nor does it undo a type set before.
    f.SetArchiveType(0);
    f.SetArchiveType(bad);
    EXPECT_EQ(f.ArchiveType(), 0);
    EXPECT_EQ(f.FileNameEdit.Text(), "report.lzh");
  }
  EXPECT_TRUE(errors.Texts().empty());
}

TEST(ZipListFormTypes, TheHiddenRadioButtonsSetTheTypeByTheirPlaceInTheBox) {
  ud::BoxWatcher errors("エラー");
  TZipListForm f;
  Drop(f, {"C:\\docs\\report.doc"});
  f.CabRadioButton.Send(BM_CLICK);
  EXPECT_EQ(f.ArchiveType(), 2);
  EXPECT_EQ(f.FileNameEdit.Text(), "report.cab");
  EXPECT_FALSE(f.ZipRadioButton.Checked());
  f.Bz2RadioButton.Send(BM_CLICK);
  EXPECT_EQ(f.ArchiveType(), 4);
  EXPECT_EQ(f.FileNameEdit.Text(), "report.bz2");
  EXPECT_FALSE(f.SfxCheckBox.Enabled());
  EXPECT_FALSE(f.ShowResultCheckBox.Enabled());
  f.LhaRadioButton.Send(BM_CLICK);
  EXPECT_EQ(f.ArchiveType(), 0);
  EXPECT_EQ(f.FileNameEdit.Text(), "report.lzh");
  EXPECT_TRUE(f.SfxCheckBox.Enabled());
  EXPECT_TRUE(f.ShowResultCheckBox.Enabled());
  EXPECT_TRUE(errors.Texts().empty());
}

TEST(ZipListFormTypes, SelfExtractingAskedForATarTypeIsRefusedOnceAndBothBoxesEndUncheckedAndDisabled) {
  ud::BoxWatcher errors("エラー");
  TZipListForm f;
  Drop(f, {"C:\\docs\\report.doc"});
  // As the command applies "ArchiveType" 3 and "IsSfx" 1 from the settings.
  f.SetArchiveType(3);
  EXPECT_EQ(f.FileNameEdit.Text(), "report.tgz");
  EXPECT_TRUE(errors.Texts().empty());
  f.SetIsSfx(true);
  EXPECT_EQ(errors.Texts(), std::vector<std::string>{kNoSfxForType});
  EXPECT_FALSE(f.IsSfx());
  EXPECT_FALSE(f.SfxCheckBox.Checked());
  EXPECT_FALSE(f.ShowResultCheckBox.Checked());
  EXPECT_FALSE(f.SfxCheckBox.Enabled());
  EXPECT_FALSE(f.ShowResultCheckBox.Enabled());
  EXPECT_EQ(f.FileNameEdit.Text(), "report.tgz");
  EXPECT_EQ(f.MIMEType(), "application/x-compressed");
  // "ShowResult" 1 applied afterwards checks the disabled box.
  f.ShowResultCheckBox.SetChecked(true);
  EXPECT_TRUE(f.ShowResultCheckBox.Checked());
  EXPECT_FALSE(f.ShowResultCheckBox.Enabled());
  // Back to Zip: both enabled again, their states kept.
  f.SetArchiveType(1);
  EXPECT_TRUE(f.SfxCheckBox.Enabled());
  EXPECT_TRUE(f.ShowResultCheckBox.Enabled());
  EXPECT_TRUE(f.ShowResultCheckBox.Checked());
  EXPECT_FALSE(f.IsSfx());
  EXPECT_EQ(f.FileNameEdit.Text(), "report.zip");
  EXPECT_EQ(errors.Texts().size(), 1u);
}

TEST(ZipListFormTypes, ATarTypeChosenWhileSelfExtractingIsOnRefusesItOnce) {
  ud::BoxWatcher errors("エラー");
  TZipListForm f;
  Drop(f, {"C:\\docs\\report.doc"});
  f.SetIsSfx(true);
  f.ShowResultCheckBox.SetChecked(true);
  ASSERT_EQ(f.FileNameEdit.Text(), "report.exe");
  f.SetArchiveType(4);
  EXPECT_EQ(errors.Texts(), std::vector<std::string>{kNoSfxForType});
  EXPECT_FALSE(f.IsSfx());
  EXPECT_FALSE(f.ShowResultCheckBox.Checked());
  EXPECT_FALSE(f.SfxCheckBox.Enabled());
  EXPECT_FALSE(f.ShowResultCheckBox.Enabled());
  EXPECT_EQ(f.FileNameEdit.Text(), "report.bz2");
  // Without self-extracting, a tar type says nothing.
  TZipListForm g;
  g.ShowResultCheckBox.SetChecked(true);
  g.SetArchiveType(3);
  EXPECT_FALSE(g.ShowResultCheckBox.Checked());
  EXPECT_FALSE(g.ShowResultCheckBox.Enabled());
  EXPECT_EQ(errors.Texts().size(), 1u);
}

} // namespace
