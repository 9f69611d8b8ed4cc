#include "sfx/window.h"

#include "base/handle.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "base/text.h"
#include "sfx/resource.h"
#include "sfx/texts.h"

namespace sfx {
namespace {

// The worker thread talks to the window with these; all but kFinished are
// sent, so the pointers they carry stay valid while the window reads them.
enum : UINT { kProgress = WM_APP + 1, kReport, kAsk, kFinished };

void SetText(HWND dlg, int id, Msg m) { SetDlgItemTextW(dlg, id, satchel::AnsiToWide(Text(m)).c_str()); }

std::wstring ItemText(HWND dlg, int id) {
  HWND h = GetDlgItem(dlg, id);
  std::wstring s(GetWindowTextLengthW(h) + 1, L'\0');
  s.resize(GetWindowTextW(h, &s[0], int(s.size())));
  return s;
}

INT_PTR CALLBACK OverwriteProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_INITDIALOG:
    SetWindowTextW(dlg, satchel::AnsiToWide(Text(kOverwriteTitle)).c_str());
    SetDlgItemTextW(dlg, IDC_QUESTION,
                    Format(kOverwriteQuestion, {*reinterpret_cast<const std::wstring *>(lp)}).c_str());
    SetText(dlg, IDYES, kYes);
    SetText(dlg, IDNO, kNo);
    SetText(dlg, IDC_YESALL, kYesAll);
    SetText(dlg, IDCANCEL, kCancel);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDYES:
      EndDialog(dlg, INT_PTR(Answer::Yes));
      return TRUE;
    case IDNO:
      EndDialog(dlg, INT_PTR(Answer::No));
      return TRUE;
    case IDC_YESALL:
      EndDialog(dlg, INT_PTR(Answer::All));
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, INT_PTR(Answer::Cancel));
      return TRUE;
    }
  }
  return FALSE;
}

int CALLBACK BrowseProc(HWND wnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED)
    SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

class MainWindow : public Sink {
public:
  MainWindow(const Archive &a, const std::wstring &program, Options o, bool autoStart)
      : archive_(a), program_(program), options_(std::move(o)), autoStart_(autoStart) {}

  int Run() {
    INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Proc,
                                reinterpret_cast<LPARAM>(this));
    return r < 0 ? kExitArchive : int(r);
  }

  // Sink, called on the worker thread.
  void Progress(uint64_t done, uint64_t total, const std::wstring &name) override {
    WPARAM permille = total ? WPARAM(done * 1000 / total) : 1000;
    // Each call is a round trip to the window's thread: with thousands of
    // small entries, only a moved bar or a tenth of a second is worth one.
    DWORD now = GetTickCount();
    if (permille == sentPermille_ && now - sentAt_ < 100 && !name.empty())
      return;
    sentPermille_ = permille;
    sentAt_ = now;
    SendMessageW(dlg_, kProgress, permille, reinterpret_cast<LPARAM>(&name));
  }
  void Report(const std::wstring &message) override {
    SendMessageW(dlg_, kReport, 0, reinterpret_cast<LPARAM>(&message));
  }
  Answer AskOverwrite(const std::wstring &path) override {
    return Answer(SendMessageW(dlg_, kAsk, 0, reinterpret_cast<LPARAM>(&path)));
  }
  bool Cancelled() override { return InterlockedCompareExchange(&cancelled_, 0, 0) != 0; }

private:
  enum class State { Idle, Running, Done };

  static INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG)
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
    auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!self)
      return FALSE;
    return self->Handle(dlg, msg, wp, lp);
  }

  INT_PTR Handle(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
      dlg_ = dlg;
      Init();
      return TRUE;
    case WM_COMMAND:
      Command(LOWORD(wp));
      return TRUE;
    case kProgress: {
      SendDlgItemMessageW(dlg, IDC_PROGRESS, PBM_SETPOS, wp, 0);
      const auto &name = *reinterpret_cast<const std::wstring *>(lp);
      if (!name.empty() && name != shown_) {
        shown_ = name;
        SetDlgItemTextW(dlg, IDC_STATUS, Format(options_.testOnly ? kTesting : kExtracting, {name}).c_str());
      }
      return TRUE;
    }
    case kReport:
      AppendLog(*reinterpret_cast<const std::wstring *>(lp));
      return TRUE;
    case kAsk:
      SetWindowLongPtrW(
          dlg, DWLP_MSGRESULT,
          DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OVERWRITE), dlg, OverwriteProc, lp));
      return TRUE;
    case kFinished:
      Finish();
      return TRUE;
    }
    return FALSE;
  }

  void Init() {
    std::wstring name = program_.substr(program_.find_last_of(L"\\/:") + 1);
    SetWindowTextW(dlg_, (satchel::AnsiToWide(Text(kTitle)) + L" - " + name).c_str());
    SetText(dlg_, IDC_ARCHIVE_LABEL, kArchiveLabel);
    SetDlgItemTextW(dlg_, IDC_ARCHIVE, program_.c_str());
    SetText(dlg_, IDC_FOLDER_LABEL, kFolderLabel);
    SetDlgItemTextW(dlg_, IDC_FOLDER, options_.folder.c_str());
    SetText(dlg_, IDC_BROWSE, kBrowse);
    SetText(dlg_, IDOK, kExtract);
    SetText(dlg_, IDCANCEL, kCancel);
    SendDlgItemMessageW(dlg_, IDC_PROGRESS, PBM_SETRANGE32, 0, 1000);
    SetDlgItemTextW(dlg_, IDC_STATUS, Format(kReady, {Number(archive_.Entries().size())}).c_str());
    if (options_.testOnly) {
      EnableWindow(GetDlgItem(dlg_, IDC_FOLDER), FALSE);
      EnableWindow(GetDlgItem(dlg_, IDC_BROWSE), FALSE);
    }
    SetForegroundWindow(dlg_);
    if (autoStart_)
      Start();
  }

  void Command(int id) {
    switch (id) {
    case IDOK:
      if (state_ == State::Idle)
        Start();
      else if (state_ == State::Done) {
        ShellExecuteW(dlg_, L"open", options_.folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EndDialog(dlg_, exitCode_);
      }
      break;
    case IDCANCEL:
      if (state_ == State::Running)
        InterlockedExchange(&cancelled_, 1);
      else
        EndDialog(dlg_, state_ == State::Idle ? kExitCancelled : exitCode_);
      break;
    case IDC_BROWSE:
      Browse();
      break;
    }
  }

  void Browse() {
    std::wstring current = ItemText(dlg_, IDC_FOLDER);
    // The proposed folder does not exist yet: start from the nearest one that does.
    while (!current.empty() && GetFileAttributesW(current.c_str()) == INVALID_FILE_ATTRIBUTES) {
      std::size_t cut = current.find_last_of(L'\\');
      current.resize(cut == std::wstring::npos ? 0 : cut);
    }
    std::wstring title = satchel::AnsiToWide(Text(kBrowseTitle));
    BROWSEINFOW bi = {};
    bi.hwndOwner = dlg_;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowseProc;
    bi.lParam = reinterpret_cast<LPARAM>(current.c_str());
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (!pidl)
      return;
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(pidl, path))
      SetDlgItemTextW(dlg_, IDC_FOLDER, path);
    CoTaskMemFree(pidl);
  }

  void Start() {
    if (!options_.testOnly) {
      options_.folder = ItemText(dlg_, IDC_FOLDER);
      if (options_.folder.empty())
        return;
    }
    state_ = State::Running;
    for (int id : {IDOK, IDC_FOLDER, IDC_BROWSE})
      EnableWindow(GetDlgItem(dlg_, id), FALSE);
    thread_.reset(CreateThread(nullptr, 0, Work, this, 0, nullptr));
    if (!thread_) {
      outcome_.failed++;
      AppendLog(SystemMessage(GetLastError()));
      PostMessageW(dlg_, kFinished, 0, 0);
    }
  }

  static DWORD WINAPI Work(void *p) {
    auto *self = static_cast<MainWindow *>(p);
    self->outcome_ = Extract(self->archive_, self->options_, *self);
    PostMessageW(self->dlg_, kFinished, 0, 0);
    return 0;
  }

  void Finish() {
    if (thread_)
      WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    state_ = State::Done;
    exitCode_ = ExitCodeOf(outcome_);
    SetDlgItemTextW(dlg_, IDC_STATUS, Summary(outcome_, options_).c_str());
    if (outcome_.Ok())
      SendDlgItemMessageW(dlg_, IDC_PROGRESS, PBM_SETPOS, 1000, 0);
    SetText(dlg_, IDCANCEL, kClose);
    SetText(dlg_, IDOK, kOpenFolder);
    bool canOpen = !options_.testOnly && outcome_.files + outcome_.folders > 0;
    EnableWindow(GetDlgItem(dlg_, IDOK), canOpen);
    SendMessageW(dlg_, WM_NEXTDLGCTL, WPARAM(GetDlgItem(dlg_, canOpen ? IDOK : IDCANCEL)), TRUE);
  }

  void AppendLog(const std::wstring &line) {
    HWND log = GetDlgItem(dlg_, IDC_LOG);
    int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, end, end);
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((line + L"\r\n").c_str()));
  }

  const Archive &archive_;
  std::wstring program_;
  Options options_;
  bool autoStart_;
  HWND dlg_ = nullptr;
  State state_ = State::Idle;
  volatile LONG cancelled_ = 0;
  satchel::UniqueHandle thread_;
  Outcome outcome_;
  int exitCode_ = kExitOk;
  std::wstring shown_;
  WPARAM sentPermille_ = ~WPARAM(0); // worker thread only
  DWORD sentAt_ = 0;
};

} // namespace

int ExitCodeOf(const Outcome &o) {
  if (o.refused)
    return kExitArchive;
  if (o.cancelled)
    return kExitCancelled;
  return o.failed ? kExitEntries : kExitOk;
}

std::wstring Summary(const Outcome &o, const Options &options) {
  if (o.refused)
    return Format(kRefused);
  if (o.cancelled)
    return Format(kCancelled);
  if (o.failed)
    return Format(kDoneErrors, {Number(o.failed)});
  if (options.testOnly)
    return Format(kTested, {Number(o.files)});
  std::wstring text = Format(kDone, {Number(o.files), options.folder});
  return o.skipped ? text + L" " + Format(kKept, {Number(o.skipped)}) : text;
}

int RunWindow(const Archive &archive, const std::wstring &program, Options options, bool autoStart) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE); // for the folder browser
  MainWindow w(archive, program, std::move(options), autoStart);
  int code = w.Run();
  CoUninitialize();
  return code;
}

} // namespace sfx
