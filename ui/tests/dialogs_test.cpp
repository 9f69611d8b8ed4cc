// The message dialogs, the input box, the progress and result dialogs and
// the framework under them, as real windows under Wine, driven from a
// second thread.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "base/handle.h"
#include "tests/uidriver/uidriver.h"
#include "ui/cmprsdlg.h"
#include "ui/input_box.h"
#include "ui/message_box.h"
#include "ui/resultfm.h"
#include "ui/window/modal.h"

namespace ud = satchel::uidriver;
using namespace satchel::ui;

namespace {

bool CentredOnScreen(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  int dx = (r.left + r.right) - GetSystemMetrics(SM_CXSCREEN);
  int dy = (r.top + r.bottom) - GetSystemMetrics(SM_CYSCREEN);
  return dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

const char *const kYes = "はい(&Y)";
const char *const kNo = "いいえ(&N)";

struct MsgCase {
  MsgKind kind;
  const char *caption;
  MsgButtons buttons;
  std::vector<std::string> labels;
  const char *press;
  int answer;
};

TEST(MessageDlg, EachKindShowsItsCaptionIconTextAndButtons) {
  const MsgCase cases[] = {
      {MsgKind::Warning, "警告", MsgButtons::Ok, {"OK"}, "OK", 1},
      {MsgKind::Error, "エラー", MsgButtons::Ok, {"OK"}, "OK", 1},
      {MsgKind::Information, "情報", MsgButtons::OkCancel, {"OK", "キャンセル"}, "キャンセル", 2},
      {MsgKind::Confirmation, "確認", MsgButtons::YesNo, {kYes, kNo}, kYes, 6},
      {MsgKind::Confirmation, "確認", MsgButtons::YesNo, {kYes, kNo}, kNo, 7},
      {MsgKind::Warning, "警告", MsgButtons::YesNoCancel, {kYes, kNo, "キャンセル"}, "キャンセル", 2},
  };
  for (const MsgCase &c : cases) {
    SCOPED_TRACE(c.caption + std::string(" / ") + c.press);
    // "&" stays as it is in a message; a long line wraps inside the box.
    std::string text = "R&D フォルダ\r\n" + std::string(40, 'x') + " " + std::string(200, 'y');
    auto run = ud::RunOnThread([&] { return MessageDlg(text, c.kind, c.buttons); });
    HWND box = ud::WaitForWindow(c.caption, "TMessageForm");
    ASSERT_NE(box, nullptr);
    ud::MessageBoxInfo m = ud::ReadMessageBox(box);
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.buttons, c.labels);
    EXPECT_TRUE(m.hasIcon);
    EXPECT_TRUE(CentredOnScreen(box));
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_LT(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    // The long word is broken into lines of the label, not cut off.
    RECT label;
    HWND text_ = ud::FindControl(box, text, "Static");
    GetClientRect(text_, &label);
    EXPECT_GE(label.bottom, 3 * 12);
    EXPECT_TRUE(ud::Answer(box, c.press));
    EXPECT_EQ(run.get(), c.answer);
  }
}

TEST(MessageDlg, CloseBoxAnswersCancelAndKeysPressTheirButtons) {
  for (MsgButtons b : {MsgButtons::Ok, MsgButtons::YesNo}) {
    auto run = ud::RunOnThread([b] { return MessageDlg("close me", MsgKind::Warning, b); });
    HWND box = ud::WaitForWindow("警告", "TMessageForm");
    ASSERT_NE(box, nullptr);
    ud::CloseBox(box);
    EXPECT_EQ(run.get(), 2);
  }
  // Enter presses the first button, Esc the last.
  struct {
    UINT key;
    int answer;
  } const keys[] = {{VK_RETURN, 6}, {VK_ESCAPE, 7}};
  for (auto k : keys) {
    auto run = ud::RunOnThread([] { return MessageDlg("key", MsgKind::Confirmation, MsgButtons::YesNo); });
    HWND box = ud::WaitForWindow("確認", "TMessageForm");
    ASSERT_NE(box, nullptr);
    ud::PressKey(box, k.key);
    EXPECT_EQ(run.get(), k.answer);
  }
}

TEST(MessageDlg, ModalRunDisablesTheThreadsOtherWindowsAndGivesThemBack) {
  std::atomic<HWND> other{nullptr};
  std::atomic<bool> activeAgain{false};
  auto run = ud::RunOnThread([&] {
    HWND w = CreateWindowExA(0, "Static", "other window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    SetActiveWindow(w);
    other = w;
    int r = MessageDlg("modal", MsgKind::Information);
    activeAgain = GetActiveWindow() == w;
    bool enabled = IsWindowEnabled(w);
    DestroyWindow(w);
    return enabled ? r : -1;
  });
  HWND box = ud::WaitForWindow("情報", "TMessageForm");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_TRUE(IsWindowEnabled(box));
  ud::Answer(box, "OK");
  EXPECT_EQ(run.get(), 1) << "the other window was not enabled again";
  EXPECT_TRUE(activeAgain);
}

// The guard a system dialog without owner runs under: only what it disabled
// is enabled again, and a window gone meanwhile is no trouble.
TEST(ThreadWindowsDisabled, DisablesOnlyVisibleEnabledWindowsNotKeptAndGivesThemBack) {
  auto make = [](DWORD style) {
    return satchel::UniqueWindow(CreateWindowExA(0, "Static", "w", WS_OVERLAPPEDWINDOW | style, 0, 0, 50, 50, nullptr,
                                                 nullptr, nullptr, nullptr));
  };
  auto plain = make(WS_VISIBLE), kept = make(WS_VISIBLE), hidden = make(0), disabled = make(WS_VISIBLE | WS_DISABLED),
       gone = make(WS_VISIBLE);
  {
    ThreadWindowsDisabled guard{kept.get()};
    EXPECT_FALSE(IsWindowEnabled(plain.get()));
    EXPECT_FALSE(IsWindowEnabled(gone.get()));
    EXPECT_TRUE(IsWindowEnabled(kept.get()));
    EXPECT_TRUE(IsWindowEnabled(hidden.get()));
    gone.reset();
  }
  EXPECT_TRUE(IsWindowEnabled(plain.get()));
  EXPECT_TRUE(IsWindowEnabled(kept.get()));
  EXPECT_TRUE(IsWindowEnabled(hidden.get()));
  EXPECT_FALSE(IsWindowEnabled(disabled.get())) << "disabled before, so left alone";
}

TEST(InputQuery, OkReturnsTheTypedTextAndCancelKeepsTheValue) {
  for (bool ok : {true, false}) {
    std::string value = "報告書.zip";
    auto run = ud::RunOnThread([&] { return InputQuery("Archive name", "&Name:", value); });
    HWND box = ud::WaitForWindow("Archive name", "TInputQueryForm");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(CentredOnScreen(box));
    HWND edit = ud::FindControl(box, "報告書.zip", "Edit");
    ud::FindControl(box, "&Name:", "Static");
    ud::Type(edit, "plan.zip");
    ud::Answer(box, ok ? "OK" : "キャンセル");
    EXPECT_EQ(run.get(), ok);
    EXPECT_EQ(value, ok ? "plan.zip" : "報告書.zip");
  }
  // Enter in the text box means OK.
  std::string value = "a.zip";
  auto run = ud::RunOnThread([&] { return InputQuery("Archive name", "Name:", value); });
  HWND box = ud::WaitForWindow("Archive name", "TInputQueryForm");
  ASSERT_NE(box, nullptr);
  ud::PressKey(box, VK_RETURN);
  EXPECT_TRUE(run.get());
  EXPECT_EQ(value, "a.zip");
}

// A form of the test's own, for what the framework promises every dialog.
int releasedForms = 0;
class TProbeForm : public Form {
public:
  TProbeForm() {
    static const ControlDef layout[] = {
        {"NameLabel", Kind::Label, 8, 8, 80, 14, "&Name:", -1, 0, 0, nullptr, nullptr, nullptr, "NameEdit"},
        {"NameEdit", Kind::Edit, 8, 24, 160, 20, "", 0, 0, 0, nullptr, "type a name"},
        {"ThrowButton", Kind::Button, 8, 56, 75, 25, "&Throw", 1, 0, 0, "ThrowButtonClick"},
        {"Box", Kind::CheckBox, 8, 90, 100, 17, "&Box", 2, 0, 0, "Clicked"},
        {"Group", Kind::GroupBox, 120, 80, 120, 60, "Group", 3, Hidden},
        {"A", Kind::RadioButton, 8, 16, 40, 17, "A", 0, 0, 0, "Clicked", nullptr, "Group"},
        {"B", Kind::RadioButton, 56, 16, 40, 17, "B", 1, 0, 0, "Clicked", nullptr, "Group"},
        {"OkButton", Kind::Button, 8, 150, 75, 25, "OK", 4, 0, kModalOk},
    };
    Build(FormDef{"TProbeForm", "Probe", kDialogFrame, kDialogExStyle, 260, 190, true, false}, layout,
          {SATCHEL_CONTROL(NameLabel), SATCHEL_CONTROL(NameEdit), SATCHEL_CONTROL(ThrowButton), SATCHEL_CONTROL(Box),
           SATCHEL_CONTROL(Group), SATCHEL_CONTROL(A), SATCHEL_CONTROL(B), SATCHEL_CONTROL(OkButton)},
          {SATCHEL_CLICK(ThrowButtonClick), SATCHEL_CLICK(Clicked)});
  }
  ~TProbeForm() override { ++releasedForms; }
  void ThrowButtonClick(Control &) { throw std::runtime_error("handler failed"); }
  void Clicked(Control &sender) { clicks += sender.Name() + ";"; }

  Control NameLabel, NameEdit, ThrowButton, Box, Group, A, B, OkButton;
  std::string clicks;
};

TEST(Form, CheckedInCodeRunsClickHandlersAsTheConventionsSay) {
  TProbeForm f;
  f.Box.SetChecked(true);
  f.Box.SetChecked(true); // no change, no click
  f.Box.SetChecked(false);
  f.A.SetChecked(true);
  f.A.SetChecked(true); // already checked
  f.B.SetChecked(true);
  f.B.SetChecked(false); // unchecking a radio button runs nothing
  EXPECT_EQ(f.clicks, "Box;Box;A;B;");
  EXPECT_FALSE(f.A.Checked()) << "checking B clears A";
}

TEST(Form, LayoutTableGivesPositionsFontTabOrderAndHiddenGroups) {
  TProbeForm f;
  RECT rc;
  GetClientRect(f.Handle(), &rc);
  EXPECT_EQ(rc.right, 260);
  EXPECT_EQ(rc.bottom, 190);
  // Radio buttons sit inside their group box, and are hidden with it.
  RECT r;
  GetWindowRect(f.B.Handle(), &r);
  MapWindowPoints(nullptr, f.Handle(), reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 120 + 56);
  EXPECT_EQ(r.top, 80 + 16);
  EXPECT_FALSE(IsWindowVisible(f.A.Handle()));
  EXPECT_TRUE(f.A.Visible());
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(f.NameEdit.Send(WM_GETFONT)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
  // Creation order is tab order, each label right before its control, so
  // Tab and the label's accelerator follow the table.
  std::vector<std::string> order;
  for (Control *c : f.Controls())
    order.push_back(c->Name());
  EXPECT_EQ(order,
            (std::vector<std::string>{"NameLabel", "NameEdit", "ThrowButton", "Box", "Group", "A", "B", "OkButton"}));
  EXPECT_EQ(GetNextDlgTabItem(f.Handle(), f.NameLabel.Handle(), FALSE), f.NameEdit.Handle());
  EXPECT_EQ(GetClassLongPtrA(f.Handle(), GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST(Form, AnExceptionInAHandlerIsShownAndTheDialogGoesOn) {
  auto run = ud::RunOnThread([] {
    TProbeForm f;
    return f.ShowModal();
  });
  HWND form = ud::WaitForWindow("Probe", "TProbeForm");
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(ud::Click(ud::FindControl(form, "&Throw")));
  HWND box = ud::WaitForWindow("エラー", "TMessageForm");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ud::ReadMessageBox(box).text, "handler failed");
  ud::Answer(box, "OK");
  ASSERT_TRUE(ud::WaitGone(box));
  // The hint is a tooltip of the edit box.
  HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
  EXPECT_NE(tip, nullptr);
  EXPECT_TRUE(ud::Click(ud::FindControl(form, "OK")));
  EXPECT_EQ(run.get(), kModalOk);
}

TEST(Form, TableNamingAnUnknownHandlerIsRefused) {
  struct Bad : Form {
    Bad() {
      static const ControlDef layout[] = {{"OkButton", Kind::Button, 0, 0, 75, 25, "OK", 0, 0, 0, "NoSuchHandler"}};
      Build(FormDef{"TBadForm", "Bad", kDialogFrame, 0, 100, 100, true, false}, layout, {SATCHEL_CONTROL(OkButton)});
    }
    Control OkButton;
  };
  EXPECT_THROW(Bad(), std::logic_error);
}

void PumpUntil(const std::function<bool()> &done) {
  ud::WaitUntil([&] {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    return done();
  });
}

TEST(CompressingDlg, CountsStepsAndRepaintsTheStatusAtOnce) {
  releasedForms = 0;
  auto *dlg = new TCompressingDlg;
  HWND w = dlg->Handle();
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(dlg->Label1.Text(), "StatusLabel");
  LONG style = GetWindowLongA(w, GWL_STYLE);
  EXPECT_FALSE(style & WS_SYSMENU) << "the user must not be able to close it";
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_EQ(rc.right, 270);
  EXPECT_EQ(rc.bottom, 104);
  EXPECT_FALSE(dlg->CancelBtn.Visible());
  EXPECT_FALSE(dlg->CancelBtn.Enabled());

  dlg->ResetProgress(3);
  dlg->Show();
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(CentredOnScreen(w));
  RECT before;
  GetWindowRect(dlg->Label1.Handle(), &before);
  for (const char *line : {"  adding: a.txt", "  adding: b.txt", "  adding: R&D plan.txt (deflated 10%)"}) {
    dlg->SetStatusText(line);
    dlg->StepProgress();
    // No message loop ran: the label and the form have nothing left to paint.
    EXPECT_FALSE(GetUpdateRect(dlg->Label1.Handle(), nullptr, FALSE)) << line;
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE)) << line;
  }
  EXPECT_EQ(dlg->Label1.Text(), "  adding: R&D plan.txt (deflated 10%)");
  EXPECT_EQ(dlg->ProgressBar.Send(PBM_GETPOS), 3);
  EXPECT_EQ(dlg->ProgressBar.Send(PBM_GETRANGE, FALSE), 3);
  EXPECT_EQ(dlg->ProgressBar.Send(PBM_GETRANGE, TRUE), 0);
  RECT after;
  GetWindowRect(dlg->Label1.Handle(), &after);
  EXPECT_GT(after.right - after.left, before.right - before.left) << "the label sizes itself to its text";
  // "&" is an accelerator mark: the label is narrower than the text with it.
  EXPECT_LT(after.right - after.left, MeasureText(dlg->Font(), "  adding: R&D plan.txt (deflated 10%)", 0, true).cx);

  dlg->Close();
  EXPECT_FALSE(IsWindowVisible(w));
  dlg->Release();
  EXPECT_TRUE(IsWindow(w)) << "release waits for the message loop";
  PumpUntil([&] { return !IsWindow(w); });
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(releasedForms, 0); // (counts only the probe form)
}

TEST(CompressingDlg, ManyFilesKeepExactStateButPaintOnlyNowAndThen) {
  auto *dlg = new TCompressingDlg;
  HWND w = dlg->Handle();
  dlg->ResetProgress(500);
  dlg->Show();
  auto painted = [&] {
    return !GetUpdateRect(dlg->Label1.Handle(), nullptr, FALSE) && !GetUpdateRect(w, nullptr, FALSE) &&
           !GetUpdateRect(dlg->ProgressBar.Handle(), nullptr, FALSE);
  };
  dlg->Advance("  adding: first.txt");
  EXPECT_TRUE(painted()) << "the first file shows at once";
  RECT first;
  GetWindowRect(dlg->Label1.Handle(), &first);
  DWORD start = GetTickCount();
  int n = 1;
  for (; n < 500 && GetTickCount() - start < TCompressingDlg::kPaintIntervalMs / 2; ++n)
    dlg->Advance("  adding: folder/a much longer name " + std::to_string(n) + ".txt");
  ASSERT_GT(n, 1);
  // What the controls hold is exact after every file, painted or not.
  EXPECT_EQ(dlg->Label1.Text(), "  adding: folder/a much longer name " + std::to_string(n - 1) + ".txt");
  EXPECT_EQ(dlg->ProgressBar.Send(PBM_GETPOS), n);
  Sleep(TCompressingDlg::kPaintIntervalMs);
  dlg->Advance("  adding: last.txt");
  EXPECT_TRUE(painted()) << "once the interval is over, everything pending is painted";
  EXPECT_EQ(dlg->ProgressBar.Send(PBM_GETPOS), n + 1);
  RECT last;
  GetWindowRect(dlg->Label1.Handle(), &last);
  EXPECT_NE(last.right - last.left, first.right - first.left) << "the label is sized to the painted text";
  // A status set directly paints at once even right after a file.
  dlg->Advance("  adding: x.txt");
  dlg->SetStatusText("Creating Self-extract archive...");
  EXPECT_TRUE(painted());
  dlg->Close();
  dlg->Release();
  PumpUntil([&] { return !IsWindow(w); });
}

TEST(CompressingDlg, ReleaseWithoutClosingDestroysAVisibleDialog) {
  auto *dlg = new TCompressingDlg;
  HWND w = dlg->Handle();
  dlg->Show();
  dlg->Release();
  PumpUntil([&] { return !IsWindow(w); });
  EXPECT_FALSE(IsWindow(w));

  auto *probe = new TProbeForm;
  releasedForms = 0;
  probe->Release();
  PumpUntil([] { return releasedForms == 1; });
  EXPECT_EQ(releasedForms, 1) << "the object is deleted with its window";
}

TEST(ResultForm, ShowsOneLinePerBreakAndClosesWithOkEnterOrCloseBox) {
  const std::string log = "  adding: 資料.txt\n  adding: b.txt\r  adding: c.txt\r\nソース表示\n";
  struct {
    int how; // 0 OK button, 1 Enter, 2 close box
    int result;
  } const ways[] = {{0, 1}, {1, 1}, {2, 2}};
  for (auto way : ways) {
    std::atomic<HWND> owner{nullptr};
    auto run = ud::RunOnThread([&] {
      HWND o = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
      owner = o;
      int r;
      {
        TResultForm form(o);
        form.SetResultText(log);
        r = form.ShowModal();
        if (GetWindow(form.Handle(), GW_OWNER) != o)
          r = -1;
      }
      DestroyWindow(o);
      return r;
    });
    HWND form = ud::WaitForWindow("Result", "TResultForm");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(CentredOnScreen(form));
    HWND memo = nullptr, ok = nullptr;
    for (const auto &c : ud::Controls(form))
      (c.cls == "Edit" ? memo : ok) = c.hwnd;
    ASSERT_TRUE(memo && ok);
    EXPECT_EQ(ud::WindowText(memo), "  adding: 資料.txt\r\n  adding: b.txt\r\n  adding: c.txt\r\nソース表示\r\n");
    DWORD_PTR lines = 0;
    SendMessageTimeoutA(memo, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 5000, &lines);
    EXPECT_EQ(lines, 5u); // four lines and the empty one after the last break
    EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(ud::Describe(ok).text, "Ok");
    GUITHREADINFO gti{};
    gti.cbSize = sizeof gti;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gti);
    EXPECT_EQ(gti.hwndFocus, ok) << "the Ok button has the focus";
    if (way.how == 0)
      ud::Click(ok);
    else if (way.how == 1)
      ud::PressKey(form, VK_RETURN);
    else
      ud::CloseBox(form);
    EXPECT_EQ(run.get(), way.result);
  }
}

} // namespace
