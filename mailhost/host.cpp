#include "mailhost/host.h"

#include "base/files.h"
#include "base/module.h"
#include "base/text.h"
#include "mailhost/drive.h"
#include "mailhost/host_api.h"
#include "mailhost/mime.h"

#include <commctrl.h>
#include <windowsx.h>

namespace mailhost {

struct ComposeState {
  Host *host;
  int number; // its message file is <store>\<number>.eml
  HWND window = nullptr, to = nullptr, subject = nullptr, body = nullptr, list = nullptr;
  bool ready = false; // menu built and shown
  bool closed = false, listShown = true;
  std::string messagePath;
  std::vector<StoredAttachment> attachments;
};

namespace {

thread_local Host *t_current = nullptr;

enum : UINT {
  kNewMessageId = 100,
  kExitId,
  kSaveId = 200,
  kCloseId,
  kUndoId,
  kCutId,
  kCopyId,
  kPasteId,
  kSelectAllId,
  kViewAttachmentsId,
  kFirstSetupId = 1000, // one per plug-in, in load order
};
enum : int { kToId = 10, kSubjectId, kBodyId, kListId };

constexpr char kDefaultTo[] = "someone@example.com";
constexpr char kDefaultSubject[] = "Files for you";
constexpr char kDefaultBody[] = "Hello,\r\n\r\nthe files are attached.\r\n";

std::string ExeFolder() { return satchel::FolderPart(satchel::ModuleFileName(nullptr)); }

using satchel::AnsiToUtf8;
using satchel::Exists;

// Written to a temporary name and moved into place, so that a reader in
// another process never sees half a file.
bool WriteWholeFile(const std::string &path, const std::string &bytes) {
  std::string temp = path + ".tmp";
  {
    satchel::UniqueFile f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    if (!f || !WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr) || n != bytes.size())
      return false;
  }
  return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool AppendToFile(const std::string &path, const std::string &bytes) {
  satchel::UniqueFile f(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, 0, nullptr));
  DWORD n = 0;
  return f && WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr) && n == bytes.size();
}

// A field of a tab-separated log line: the texts come from plug-ins.
std::string LogField(const std::string &ansi) {
  std::string s = AnsiToUtf8(ansi);
  for (char &c : s)
    if (c == '\t' || c == '\r' || c == '\n')
      c = ' ';
  return s;
}

std::string WindowText(HWND w) {
  int n = GetWindowTextLengthA(w);
  std::string s(n + 1, '\0');
  s.resize(GetWindowTextA(w, s.data(), n + 1));
  return s;
}

HWND Child(HWND parent, const char *cls, const char *text, DWORD style, int id, DWORD exStyle = 0) {
  HWND w = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(w, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return w;
}

void AddListColumn(HWND list, int index, const char *title, int width) {
  LVCOLUMNA col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = const_cast<char *>(title);
  col.cx = width;
  col.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, index, LPARAM(&col));
}

void SetListText(HWND list, int row, int column, const std::string &text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char *>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, LPARAM(&item));
}

} // namespace

UINT OpenComposeMessage() {
  static const UINT m = RegisterWindowMessageA("MailHost.OpenCompose");
  return m;
}
UINT RebuildMenuMessage() {
  static const UINT m = RegisterWindowMessageA("MailHost.RebuildMenu");
  return m;
}

Host::Host(HostOptions options) : options_(std::move(options)), instance_(GetModuleHandleA(nullptr)) {
  pluginDir_ = options_.pluginDir.empty() ? ExeFolder() + "PlugIns" : options_.pluginDir;
  storeDir_ = options_.storeDir.empty() ? ExeFolder() + "Store" : options_.storeDir;
  while (pluginDir_.size() > 3 && satchel::EndsWithBackslash(pluginDir_))
    pluginDir_.pop_back();
  while (storeDir_.size() > 3 && satchel::EndsWithBackslash(storeDir_))
    storeDir_.pop_back();
}

Host::~Host() {
  // A host whose loop never ran, or ended early, still lets its plug-ins go.
  if (main_ && IsWindow(main_) && t_current == this)
    DestroyWindow(main_);
  for (auto &c : composes_)
    if (!c->closed && IsWindow(c->window) && t_current == this)
      DestroyWindow(c->window);
  for (PlugIn &p : plugins_)
    if (!exited_)
      p.Exit();
  exited_ = true;
  while (!plugins_.empty())
    plugins_.pop_back(); // unloaded in reverse order of loading
  if (t_current == this)
    t_current = nullptr;
}

Host *Host::Current() { return t_current; }

bool Host::RegisterClasses() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc{};
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  WNDCLASSA existing;
  wc.lpfnWndProc = MainProc;
  wc.lpszClassName = kMainClass;
  if (!GetClassInfoA(instance_, kMainClass, &existing) && !RegisterClassA(&wc))
    return false;
  wc.lpfnWndProc = ComposeProc;
  wc.lpszClassName = kComposeClass;
  return GetClassInfoA(instance_, kComposeClass, &existing) || RegisterClassA(&wc);
}

bool Host::Start() {
  t_current = this;
  SetAttachHook([](const Attachment &a) {
    if (Host *h = Host::Current())
      h->OnAttach(a);
  });
  if (!RegisterClasses())
    return false;
  main_ = CreateWindowExA(0, kMainClass, kMainCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 560, 320,
                          nullptr, nullptr, instance_, this);
  if (!main_)
    return false;
  satchel::CreateFolder(storeDir_);

  plugins_ = LoadPlugIns(pluginDir_, failures_);
  for (const PlugIn &p : plugins_) {
    std::string line = p.displayName() + " " + p.info().version + " - " + p.fileName();
    SendMessageA(mainList_, LB_ADDSTRING, 0, LPARAM(line.c_str()));
  }
  std::string status = std::to_string(plugins_.size()) + (plugins_.size() == 1 ? " plug-in" : " plug-ins") +
                       " loaded from " + pluginDir_ + ".";
  for (const LoadFailure &f : failures_) {
    std::string name = satchel::FileNamePart(f.path);
    std::string line = name + ": not loaded - " + ErrorText(f.error);
    SendMessageA(mainList_, LB_ADDSTRING, 0, LPARAM(line.c_str()));
    status += " Could not load " + name + ".";
  }
  SetStatus(status);

  RebuildMenu(main_);
  ShowWindow(main_, options_.showCommand);
  UpdateWindow(main_);

  WritePlugInReport();
  if (options_.compose || !options_.pick.empty()) {
    HWND c = OpenCompose(options_.composePlaced ? &options_.composeAt : nullptr);
    if (!options_.pick.empty())
      PickAfterStart(c);
  }
  if (options_.exitAfterPick && options_.pick.empty())
    PostMessageA(main_, WM_CLOSE, 0, 0);
  return true;
}

// <store>\plugins.log, UTF-8, one line per DLL of the plug-in folder:
// "loaded", file, name, author, version, description, or "failed", file,
// error code, tab-separated.
void Host::WritePlugInReport() {
  std::string report;
  for (const PlugIn &p : plugins_) {
    const PlugInInfo &i = p.info();
    report += "loaded\t" + LogField(p.fileName()) + "\t" + LogField(i.name) + "\t" + LogField(i.author) + "\t" +
              LogField(i.version) + "\t" + LogField(i.description) + "\r\n";
  }
  for (const LoadFailure &f : failures_)
    report += "failed\t" + LogField(satchel::FileNamePart(f.path)) + "\t" + std::to_string(f.error) + "\r\n";
  WriteWholeFile(storeDir_ + "\\plugins.log", report);
}

void Host::PickAfterStart(HWND compose) {
  UINT id = compose ? FindMenuCommand(compose, options_.pick) : 0;
  if (!id) {
    SetStatus("No menu item \"" + options_.pick + "\" in the compose window.");
    if (options_.exitAfterPick)
      PostMessageA(main_, WM_CLOSE, 2, 0);
    return;
  }
  pickId_ = int(id);
  PostMessageA(compose, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

int Host::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top && FindCompose(top) && IsDialogMessageA(top, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  int code = int(msg.wParam);
  // What plug-ins posted before the end (deferred releases of their windows)
  // runs while their code is still loaded.
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  for (PlugIn &p : plugins_)
    p.Exit();
  exited_ = true;
  while (!plugins_.empty())
    plugins_.pop_back();
  t_current = nullptr;
  return code;
}

HMENU Host::BuildMainMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu(), edit = CreatePopupMenu(), view = CreatePopupMenu(), tools = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kNewMessageId, kNewMessageItem);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kExitId, "E&xit");
  AppendMenuA(edit, MF_STRING | MF_GRAYED, kSelectAllId, "Select &all");
  AppendMenuA(view, MF_STRING | MF_GRAYED, kViewAttachmentsId, "&Folders");
  AppendToolsItems(tools);
  AppendMenuA(bar, MF_POPUP, UINT_PTR(file), "&File");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(edit), "&Edit");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(view), "&View");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(tools), "&Tools");
  return bar;
}

HMENU Host::BuildComposeMenu(const ComposeState &c) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu(), edit = CreatePopupMenu(), view = CreatePopupMenu(), tools = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kSaveId, "&Save message");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kCloseId, "&Close");
  AppendMenuA(edit, MF_STRING, kUndoId, "&Undo");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kCutId, "Cu&t");
  AppendMenuA(edit, MF_STRING, kCopyId, "&Copy");
  AppendMenuA(edit, MF_STRING, kPasteId, "&Paste");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kSelectAllId, "Select &all");
  AppendMenuA(view, MF_STRING | (c.listShown ? MF_CHECKED : 0), kViewAttachmentsId, "&Attachments");
  AppendToolsItems(tools);
  AppendMenuA(bar, MF_POPUP, UINT_PTR(file), "&File");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(edit), "&Edit");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(view), "&View");
  AppendMenuA(bar, MF_POPUP, UINT_PTR(tools), "&Tools");
  return bar;
}

void Host::AppendToolsItems(HMENU tools) {
  for (size_t i = 0; i < plugins_.size(); ++i) {
    std::string text = kSetupItemPrefix + plugins_[i].displayName() + "...";
    UINT flags = MF_STRING | (plugins_[i].calls().OnPlugInSetup ? 0 : MF_GRAYED);
    AppendMenuA(tools, flags, kFirstSetupId + i, text.c_str());
  }
  if (plugins_.empty())
    AppendMenuA(tools, MF_STRING | MF_GRAYED, kFirstSetupId, "No plug-ins");
}

void Host::RebuildMenu(HWND window) {
  ComposeState *c = FindCompose(window);
  if (window != main_ && !c)
    return;
  HMENU menu = c ? BuildComposeMenu(*c) : BuildMainMenu();
  HMENU old = GetMenu(window);
  SetMenu(window, menu);
  if (old)
    DestroyMenu(old);
  // Every plug-in sees the menu while it is built, as in the mail program.
  for (const PlugIn &p : plugins_)
    p.MenuInit(window, menu, c ? kComposeWindowType : kMainWindowType);
  DrawMenuBar(window);
}

bool Host::DispatchPlugInCommand(HWND window, int id) {
  const RegisteredCommand *cmd = FindCommand(id);
  if (!cmd || !cmd->handler)
    return false;
  CommandHandler handler = cmd->handler; // the log may grow during the call
  handler(window, 0);
  if (id == pickId_) {
    pickId_ = 0;
    if (options_.exitAfterPick && IsWindow(main_))
      PostMessageA(main_, WM_CLOSE, 0, 0);
  }
  return true;
}

HWND Host::OpenCompose(const POINT *at) {
  auto state = std::make_unique<ComposeState>();
  state->host = this;
  int n = nextMessage_;
  while (Exists(storeDir_ + "\\" + std::to_string(n) + ".eml") || Exists(storeDir_ + "\\" + std::to_string(n)))
    ++n;
  nextMessage_ = n + 1;
  state->number = n;
  state->messagePath = storeDir_ + "\\" + std::to_string(n) + ".eml";
  ComposeState *c = state.get();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    composes_.push_back(std::move(state));
  }
  int x = at ? at->x : CW_USEDEFAULT, y = at ? at->y : CW_USEDEFAULT;
  HWND w = CreateWindowExA(WS_EX_CONTROLPARENT, kComposeClass, kComposeCaption, WS_OVERLAPPEDWINDOW, x, y, 640, 480,
                           nullptr, nullptr, instance_, c);
  if (!w) {
    c->closed = true;
    return nullptr;
  }
  RebuildMenu(w);
  for (const PlugIn &p : plugins_)
    p.OpenCompose(w);
  ShowWindow(w, options_.showCommand);
  UpdateWindow(w);
  std::lock_guard<std::mutex> lock(mutex_);
  c->ready = true;
  return w;
}

void Host::LayoutCompose(ComposeState &c) {
  RECT r;
  GetClientRect(c.window, &r);
  const int m = 6, label = 56, line = 22, listHeight = c.listShown ? 110 : 0;
  int width = r.right - 2 * m;
  MoveWindow(GetDlgItem(c.window, kToId + 100), m, m + 3, label, line, TRUE);
  MoveWindow(c.to, m + label, m, width - label, line, TRUE);
  MoveWindow(GetDlgItem(c.window, kSubjectId + 100), m, 2 * m + line + 3, label, line, TRUE);
  MoveWindow(c.subject, m + label, 2 * m + line, width - label, line, TRUE);
  int top = 3 * m + 2 * line;
  int bodyHeight = r.bottom - top - m - (listHeight ? listHeight + m : 0);
  MoveWindow(c.body, m, top, width, bodyHeight > 20 ? bodyHeight : 20, TRUE);
  MoveWindow(c.list, m, r.bottom - m - listHeight, width, listHeight, TRUE);
  ShowWindow(c.list, c.listShown ? SW_SHOW : SW_HIDE);
}

LRESULT CALLBACK Host::MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  Host *h = reinterpret_cast<Host *>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    h = static_cast<Host *>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams);
    SetWindowLongPtrA(w, GWLP_USERDATA, LONG_PTR(h));
  }
  try {
    if (h)
      return h->OnMain(w, msg, wp, lp);
  } catch (...) {
  }
  return DefWindowProcA(w, msg, wp, lp);
}

LRESULT CALLBACK Host::ComposeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  ComposeState *c = reinterpret_cast<ComposeState *>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    c = static_cast<ComposeState *>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams);
    std::lock_guard<std::mutex> lock(c->host->mutex_);
    c->window = w;
    SetWindowLongPtrA(w, GWLP_USERDATA, LONG_PTR(c));
  }
  try {
    if (c)
      return c->host->OnCompose(*c, w, msg, wp, lp);
  } catch (...) {
  }
  return DefWindowProcA(w, msg, wp, lp);
}

LRESULT Host::OnMain(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == OpenComposeMessage()) {
    POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return LRESULT(OpenCompose(wp ? &at : nullptr));
  }
  if (msg == RebuildMenuMessage()) {
    RebuildMenu(reinterpret_cast<HWND>(wp));
    return 0;
  }
  switch (msg) {
  case WM_CREATE:
    mainList_ = Child(w, "LISTBOX", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 1, WS_EX_CLIENTEDGE);
    statusBar_ = Child(w, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, 2);
    return 0;
  case WM_SIZE: {
    SendMessageA(statusBar_, WM_SIZE, 0, 0);
    RECT sr;
    GetWindowRect(statusBar_, &sr);
    MoveWindow(mainList_, 0, 0, LOWORD(lp), HIWORD(lp) - (sr.bottom - sr.top), TRUE);
    return 0;
  }
  case WM_COMMAND:
    if (lp)
      break; // a control's notification
    if (LOWORD(wp) == kNewMessageId) {
      OpenCompose();
    } else if (LOWORD(wp) == kExitId) {
      PostMessageA(w, WM_CLOSE, 0, 0);
    } else if (LOWORD(wp) >= kFirstSetupId && LOWORD(wp) < kFirstSetupId + plugins_.size()) {
      plugins_[LOWORD(wp) - kFirstSetupId].Setup(w);
    } else {
      DispatchPlugInCommand(w, LOWORD(wp));
    }
    return 0;
  case WM_CLOSE:
    exitCode_ = int(wp);
    DestroyWindow(w);
    return 0;
  case WM_DESTROY:
    for (auto &c : composes_)
      if (!c->closed && IsWindow(c->window))
        DestroyWindow(c->window);
    PostQuitMessage(exitCode_);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

LRESULT Host::OnCompose(ComposeState &c, HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE: {
    Child(w, "STATIC", "To:", 0, kToId + 100);
    Child(w, "STATIC", "Subject:", 0, kSubjectId + 100);
    c.to = Child(w, "EDIT", kDefaultTo, WS_TABSTOP | ES_AUTOHSCROLL, kToId, WS_EX_CLIENTEDGE);
    c.subject = Child(w, "EDIT", kDefaultSubject, WS_TABSTOP | ES_AUTOHSCROLL, kSubjectId, WS_EX_CLIENTEDGE);
    c.body = Child(w, "EDIT", kDefaultBody, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                   kBodyId, WS_EX_CLIENTEDGE);
    c.list = Child(w, WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, kListId, WS_EX_CLIENTEDGE);
    AddListColumn(c.list, 0, "Name", 280);
    AddListColumn(c.list, 1, "Size", 90);
    AddListColumn(c.list, 2, "Type", 200);
    return 0;
  }
  case WM_SIZE:
    LayoutCompose(c);
    return 0;
  case WM_SETFOCUS:
    SetFocus(c.body);
    return 0;
  case WM_COMMAND: {
    if (lp)
      break;
    HWND focus = GetFocus();
    bool editFocused = focus == c.to || focus == c.subject || focus == c.body;
    switch (LOWORD(wp)) {
    case kSaveId:
      WriteMessage(c);
      return 0;
    case kCloseId:
      PostMessageA(w, WM_CLOSE, 0, 0);
      return 0;
    case kUndoId:
    case kCutId:
    case kCopyId:
    case kPasteId: {
      static const UINT edits[] = {WM_UNDO, WM_CUT, WM_COPY, WM_PASTE};
      if (editFocused)
        SendMessageA(focus, edits[LOWORD(wp) - kUndoId], 0, 0);
      return 0;
    }
    case kSelectAllId:
      if (editFocused)
        SendMessageA(focus, EM_SETSEL, 0, -1);
      return 0;
    case kViewAttachmentsId:
      c.listShown = !c.listShown;
      CheckMenuItem(GetMenu(w), kViewAttachmentsId, c.listShown ? MF_CHECKED : MF_UNCHECKED);
      LayoutCompose(c);
      return 0;
    }
    if (LOWORD(wp) >= kFirstSetupId && LOWORD(wp) < kFirstSetupId + plugins_.size())
      plugins_[LOWORD(wp) - kFirstSetupId].Setup(w);
    else
      DispatchPlugInCommand(w, LOWORD(wp));
    return 0;
  }
  case WM_DESTROY: {
    std::lock_guard<std::mutex> lock(mutex_);
    c.closed = true;
    return 0;
  }
  }
  return DefWindowProcA(w, msg, wp, lp);
}

ComposeState *Host::FindCompose(HWND w) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto &c : composes_)
    if (c->window == w && !c->closed)
      return c.get();
  return nullptr;
}

void Host::OnAttach(const Attachment &a) {
  ComposeState *c = FindCompose(a.window ? GetAncestor(a.window, GA_ROOT) : nullptr);
  if (!c) {
    SetStatus("An attachment for a window that is no compose window was ignored.");
    return;
  }
  if (!a.readable) {
    SetStatus("Could not read " + a.path + ".");
    return;
  }
  StoredAttachment s;
  s.index = int(c->attachments.size()) + 1;
  s.fileName = a.name.empty() ? "attachment" : a.name;
  s.mimeType = a.mimeType;
  s.bytes = a.bytes;
  // The host's own copy: the plug-in deletes its file once the call returns.
  std::string folder = storeDir_ + "\\" + std::to_string(c->number);
  satchel::CreateFolder(folder);
  s.storedPath = folder + "\\" + s.fileName;
  if (Exists(s.storedPath))
    s.storedPath = folder + "\\" + std::to_string(s.index) + "-" + s.fileName;
  if (!WriteWholeFile(s.storedPath, s.bytes))
    SetStatus("Could not store " + s.storedPath + ".");

  int row = int(SendMessageA(c->list, LVM_GETITEMCOUNT, 0, 0));
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char *>(s.fileName.c_str());
  row = int(SendMessageA(c->list, LVM_INSERTITEMA, 0, LPARAM(&item)));
  SetListText(c->list, row, 1, std::to_string(s.bytes.size()));
  SetListText(c->list, row, 2, s.mimeType);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    c->attachments.push_back(s);
  }
  WriteMessage(*c);
  std::string line = std::to_string(s.index) + "\t" + LogField(s.fileName) + "\t" + std::to_string(s.bytes.size()) +
                     "\t" + LogField(s.mimeType) + "\t" + LogField(c->messagePath) + "\r\n";
  AppendToFile(storeDir_ + "\\attachments.log", line);
  SetStatus("Attached " + s.fileName + " to " + c->messagePath + ".");
}

void Host::WriteMessage(ComposeState &c) {
  MimeMessage m{WindowText(c.to), WindowText(c.subject), WindowText(c.body), {}};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const StoredAttachment &s : c.attachments)
      m.attachments.push_back({s.fileName, s.mimeType, s.bytes});
  }
  if (!WriteWholeFile(c.messagePath, FormatMimeMessage(m)))
    SetStatus("Could not write " + c.messagePath + ".");
}

void Host::SetStatus(const std::string &text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = text;
  }
  if (statusBar_)
    SetWindowTextA(statusBar_, text.c_str());
}

std::string Host::StatusText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

std::vector<HWND> Host::ComposeWindows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<HWND> out;
  for (auto &c : composes_)
    if (c->ready && !c->closed)
      out.push_back(c->window);
  return out;
}

// Newest first: a closed window's handle may have been handed out again.
std::vector<StoredAttachment> Host::Attachments(HWND compose) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto c = composes_.rbegin(); c != composes_.rend(); ++c)
    if ((*c)->window == compose)
      return (*c)->attachments;
  return {};
}

std::string Host::MessagePath(HWND compose) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto c = composes_.rbegin(); c != composes_.rend(); ++c)
    if ((*c)->window == compose)
      return (*c)->messagePath;
  return {};
}

} // namespace mailhost
