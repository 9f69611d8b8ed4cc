#include "ui/zipform.h"

#include "base/files.h"
#include "base/text.h"
#include "ui/input_box.h"
#include "ui/message_box.h"
#include "ui/window/modal.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

namespace satchel::ui {
namespace {

const FormDef kWindow{"TZipListForm", "Zip and attach", kDialogFrame, kDialogExStyle, 472, 353, true, false};

const ControlDef kLayout[] = {
    // name, kind, left, top, width, height, text, tab order, properties, modal result, on click, hint, parent,
    // focus, on double-click, on key down
    {"FilesListBox", Kind::ListBox, 8, 32, 345, 217, "", 0, MultiSelect | VScroll, 0, nullptr,
     "You can drop file(s) here to add", nullptr, nullptr, "FilesListBoxDblClick", "FilesListBoxKeyDown"},
    {"AddButton", Kind::Button, 360, 32, 99, 25, "&Add", 1, 0, 0, "AddButtonClick"},
    {"RemoveButton", Kind::Button, 360, 64, 99, 25, "&Remove", 2, 0, 0, "RemoveButtonClick"},
    {"FileNameEdit", Kind::Edit, 16, 272, 329, 20, "", 3, 0, 0, nullptr, "Extension is automatically set."},
    {"AttachBitBtn", Kind::BitBtn, 360, 104, 99, 65, "A&ttach", 4, 0, 0, "AttachBitBtnClick"},
    {"CancelButton", Kind::Button, 360, 216, 99, 25, "&Cancel", 5, 0, kModalCancel},
    {"ShowResultCheckBox", Kind::CheckBox, 360, 256, 97, 17, "S&how result", 6},
    {"SfxCheckBox", Kind::CheckBox, 360, 280, 97, 17, "&Self-extract", 7, 0, 0, "SfxCheckBoxClick"},
    {"ArcGroupBox", Kind::GroupBox, 16, 304, 409, 41, "圧縮形式(&O)", 8, Hidden},
    {"LhaRadioButton", Kind::RadioButton, 16, 16, 49, 17, "Lha", 0, 0, 0, "FileTypeRadioGroupClick", nullptr,
     "ArcGroupBox"},
    {"ZipRadioButton", Kind::RadioButton, 88, 16, 49, 17, "Zip", 1, 0, 0, "FileTypeRadioGroupClick", nullptr,
     "ArcGroupBox"},
    {"CabRadioButton", Kind::RadioButton, 168, 16, 49, 17, "Cab", 2, 0, 0, "FileTypeRadioGroupClick", nullptr,
     "ArcGroupBox"},
    {"TgzRadioButton", Kind::RadioButton, 248, 16, 65, 17, "tar+gzip", 3, 0, 0, "FileTypeRadioGroupClick", nullptr,
     "ArcGroupBox"},
    {"Bz2RadioButton", Kind::RadioButton, 328, 16, 65, 17, "tar+bzip2", 4, 0, 0, "FileTypeRadioGroupClick", nullptr,
     "ArcGroupBox"},
    {"FolderAttachButton", Kind::Button, 360, 176, 99, 25, "Attach fol&der...", 9, 0, 0, "FolderAttachButtonClick"},
    {"ListLabel", Kind::Label, 16, 8, 120, 12, "&List of files to attach:", -1, AutoSize, 0, nullptr, nullptr, nullptr,
     "FilesListBox"},
    {"FileNameLabel", Kind::Label, 16, 256, 120, 12, "&File name of attachment:", -1, AutoSize, 0, nullptr, nullptr,
     nullptr, "FileNameEdit"},
};

struct TypeInfo {
  const char *ext, *mime;
};
const TypeInfo kTypes[] = {{".lzh", "application/x-lha"},
                           {".zip", "application/zip"},
                           {".cab", "application/x-compressed"},
                           {".tgz", "application/x-compressed"},
                           {".bz2", "application/x-compressed"}};

const char kNoSfxForType[] = "この形式では自己解凍ファイルが作成できません。";
const char kFolderQuestion[] =
    "フォルダごと圧縮しますか？\r\n(「はい」を選択するとリストボックスのファイルを無視してドロップしたファイルを圧縮"
    "します)\r\n(「いいえ」を選択するとフォルダ内のファイル全てをリストボックスに追加します)";
const char kEmptyList[] = "添付するファイルが選択されていません。\r\n追加またはエクスプローラからの Drag and Drop "
                          "でファイルを追加してください。";
const char kEmptyName[] = "添付ファイル名を入力してください。";

// The Attach button's picture: a page with a red arrow, 16 x 16.
HBITMAP DrawAttachPicture() {
  UniqueMemoryDC dc;
  UniqueGdi bmp;
  {
    WindowDC screen;
    dc.reset(CreateCompatibleDC(screen.get()));
    bmp.reset(CreateCompatibleBitmap(screen.get(), 16, 16));
  }
  Selection bitmap(dc.get(), bmp.get());
  RECT all{0, 0, 16, 16};
  FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  // The page, with a folded corner.
  UniqueGdi black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  UniqueGdi red(CreatePen(PS_SOLID, 2, RGB(220, 0, 0)));
  {
    Selection pen(dc.get(), black.get());
    Selection brush(dc.get(), GetStockObject(WHITE_BRUSH));
    POINT page[] = {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}};
    Polygon(dc.get(), page, 5);
    MoveToEx(dc.get(), 10, 1, nullptr);
    LineTo(dc.get(), 10, 4);
    LineTo(dc.get(), 13, 4);
  }
  // The red arrow pointing down into the page.
  Selection pen(dc.get(), red.get());
  MoveToEx(dc.get(), 8, 3, nullptr);
  LineTo(dc.get(), 8, 11);
  MoveToEx(dc.get(), 5, 8, nullptr);
  LineTo(dc.get(), 8, 11);
  LineTo(dc.get(), 11, 8);
  return static_cast<HBITMAP>(bmp.release());
}

// Keeps a list box from repainting itself and its scroll bar for each of
// many additions (a folder of thousands of files took seconds for that
// alone); it is drawn once when the pause ends.
class ListRedrawPause {
public:
  explicit ListRedrawPause(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
  ~ListRedrawPause() {
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
  }
  ListRedrawPause(const ListRedrawPause &) = delete;
  ListRedrawPause &operator=(const ListRedrawPause &) = delete;

private:
  HWND list_;
};

// One entry of a list box, or "" when there is none: reading the whole list
// costs two messages per entry.
std::string ListEntry(HWND list, int index) {
  LRESULT len = SendMessageA(list, LB_GETTEXTLEN, WPARAM(index), 0);
  if (len == LB_ERR)
    return {};
  std::string s(size_t(len) + 1, '\0');
  LRESULT got = SendMessageA(list, LB_GETTEXT, WPARAM(index), LPARAM(s.data()));
  s.resize(got == LB_ERR ? 0 : size_t(got));
  return s;
}

} // namespace

TZipListForm::TZipListForm() {
  Build(kWindow, kLayout,
        {SATCHEL_CONTROL(FilesListBox), SATCHEL_CONTROL(AddButton), SATCHEL_CONTROL(RemoveButton),
         SATCHEL_CONTROL(FileNameEdit), SATCHEL_CONTROL(AttachBitBtn), SATCHEL_CONTROL(CancelButton),
         SATCHEL_CONTROL(ShowResultCheckBox), SATCHEL_CONTROL(SfxCheckBox), SATCHEL_CONTROL(ArcGroupBox),
         SATCHEL_CONTROL(LhaRadioButton), SATCHEL_CONTROL(ZipRadioButton), SATCHEL_CONTROL(CabRadioButton),
         SATCHEL_CONTROL(TgzRadioButton), SATCHEL_CONTROL(Bz2RadioButton), SATCHEL_CONTROL(FolderAttachButton),
         SATCHEL_CONTROL(ListLabel), SATCHEL_CONTROL(FileNameLabel)},
        {SATCHEL_CLICK(AddButtonClick), SATCHEL_CLICK(RemoveButtonClick), SATCHEL_KEY(FilesListBoxKeyDown),
         SATCHEL_CLICK(FilesListBoxDblClick), SATCHEL_CLICK(AttachBitBtnClick), SATCHEL_CLICK(FolderAttachButtonClick),
         SATCHEL_CLICK(SfxCheckBoxClick), SATCHEL_CLICK(FileTypeRadioGroupClick)});
  AttachBitBtn.SetPicture(DrawAttachPicture());
  FilesListBox.Send(LB_SETITEMHEIGHT, 0, 12); // the font alone gives 13
  FormCreate();
}

TZipListForm::~TZipListForm() = default;

void TZipListForm::FormCreate() {
  DragAcceptFiles(Handle(), TRUE);
  SetArchiveType(1);
}

std::vector<std::string> TZipListForm::Files() const {
  std::vector<std::string> files;
  int n = int(FilesListBox.Send(LB_GETCOUNT));
  for (int i = 0; i < n; ++i) {
    std::string s(size_t(FilesListBox.Send(LB_GETTEXTLEN, i)), '\0');
    FilesListBox.Send(LB_GETTEXT, i, LPARAM(s.data()));
    files.push_back(s);
  }
  return files;
}

void TZipListForm::AddFile(const std::string &path) { FilesListBox.Send(LB_ADDSTRING, 0, LPARAM(path.c_str())); }

void TZipListForm::SetIsSfx(bool value) {
  SfxCheckBox.SetChecked(value);
  SfxCheckBoxClick(SfxCheckBox);
}

void TZipListForm::SetArchiveType(int value) {
  if (value < 0 || value > 4)
    return;
  archiveType_ = value;
  Control *radios[] = {&LhaRadioButton, &ZipRadioButton, &CabRadioButton, &TgzRadioButton, &Bz2RadioButton};
  radios[value]->SetChecked(true);
  TypeStep(nullptr);
}

std::string TZipListForm::MIMEType() const { return kTypes[archiveType_].mime; }
std::string TZipListForm::GetArchiveExt() const { return kTypes[archiveType_].ext; }

void TZipListForm::ApplyNamingRule() {
  std::string name = ArchiveName();
  if (name.empty())
    return;
  SetArchiveName(ReplaceExt(name, SfxCheckBox.Checked() ? ".exe" : GetArchiveExt()));
}

void TZipListForm::FileTypeRadioGroupClick(Control &sender) { TypeStep(&sender); }

void TZipListForm::TypeStep(Control *sender) {
  if (sender && sender->GetKind() == Kind::RadioButton)
    archiveType_ = sender->TabOrder();
  if (archiveType_ > 2) {
    if (SfxCheckBox.Checked()) {
      MessageDlg(kNoSfxForType, MsgKind::Error);
      SfxCheckBox.SetChecked(false);
    }
    ShowResultCheckBox.SetChecked(false);
    SfxCheckBox.SetEnabled(false);
    ShowResultCheckBox.SetEnabled(false);
  } else if (!SfxCheckBox.Enabled()) {
    SfxCheckBox.SetEnabled(true);
    ShowResultCheckBox.SetEnabled(true);
  }
  ApplyNamingRule();
}

void TZipListForm::SfxCheckBoxClick(Control &) {
  if (SfxCheckBox.Checked() && archiveType_ > 2) {
    MessageDlg(kNoSfxForType, MsgKind::Error);
    SfxCheckBox.SetChecked(false);
    ShowResultCheckBox.SetChecked(false);
    return;
  }
  ApplyNamingRule();
}

void TZipListForm::AddButtonClick(Control &) {
  // Grows the buffer when a large selection does not fit, and asks again.
  for (DWORD size = 64 * 1024;; size *= 4) {
    std::string buf(size, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Handle();
    ofn.lpstrFile = buf.data();
    ofn.nMaxFile = size;
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_ENABLESIZING;
    if (!GetOpenFileNameA(&ofn)) {
      if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL && size < 64u * 1024 * 1024)
        continue;
      return;
    }
    // One name: the full path. Several: the folder, then the names.
    std::vector<std::string> parts;
    for (const char *p = buf.c_str(); *p; p += std::strlen(p) + 1)
      parts.push_back(p);
    if (parts.size() == 1) {
      AddFile(parts[0]);
    } else if (!parts.empty()) {
      std::string dir = parts[0];
      if (!EndsWithBackslash(dir))
        dir += '\\';
      for (size_t i = 1; i < parts.size(); ++i)
        AddFile(dir + parts[i]);
    }
    break;
  }
  if (FilesListBox.Send(LB_GETCOUNT) > 0)
    SetArchiveName(FileNamePart(ListEntry(FilesListBox.Handle(), 0)));
  TypeStep(nullptr);
}

void TZipListForm::RemoveButtonClick(Control &) {
  for (int i = int(FilesListBox.Send(LB_GETCOUNT)) - 1; i >= 0; --i)
    if (FilesListBox.Send(LB_GETSEL, i) > 0)
      FilesListBox.Send(LB_DELETESTRING, i);
}

void TZipListForm::FilesListBoxKeyDown(Control &sender, WORD key, unsigned) {
  if (key == VK_DELETE)
    RemoveButtonClick(sender);
}

void TZipListForm::FilesListBoxDblClick(Control &) {
  int caret = int(FilesListBox.Send(LB_GETCARETINDEX));
  if (caret < 0 || caret >= int(FilesListBox.Send(LB_GETCOUNT)))
    return; // an empty list names nothing
  SetArchiveName(ReplaceExt(FileNamePart(ListEntry(FilesListBox.Handle(), caret)),
                            SfxCheckBox.Checked() ? ".exe" : GetArchiveExt()));
}

void TZipListForm::OnDropFiles(UniqueDrop drop) {
  int before = int(FilesListBox.Send(LB_GETCOUNT));
  std::string baseFolder;
  int answer = kModalCancel; // not asked yet
  bool asked = false;
  UINT count = DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0);
  // Dropped files go into the list together, before the next folder and at
  // the end.
  std::vector<std::string> pending;
  auto addPending = [&] {
    ListRedrawPause pause(FilesListBox.Handle());
    for (const auto &p : pending)
      AddFile(p);
    pending.clear();
  };
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first, so a long path is never cut.
    UINT len = DragQueryFileA(drop.get(), i, nullptr, 0);
    std::string path(len, '\0');
    DragQueryFileA(drop.get(), i, path.data(), len + 1);
    if (!IsFolder(path)) {
      pending.push_back(path);
      continue;
    }
    addPending();
    SetForegroundWindow(Handle());
    if (!asked) {
      answer = MessageDlg(kFolderQuestion, MsgKind::Confirmation, MsgButtons::YesNoCancel);
      asked = true;
    }
    if (answer == 6) {
      if (baseFolder.empty()) {
        FilesListBox.Send(LB_RESETCONTENT);
        baseFolder = count == 1 && !IncludeFolderName ? path : FolderPart(path);
      }
      CollectFolderFiles(path);
    } else if (answer == 7) {
      CollectFolderFiles(path);
    } else {
      for (int k = int(FilesListBox.Send(LB_GETCOUNT)) - 1; k >= before; --k)
        FilesListBox.Send(LB_DELETESTRING, k);
      return;
    }
  }
  if (!pending.empty())
    addPending();
  drop.reset();
  if (answer == 6) {
    CompressFolder(baseFolder);
    Finish();
    return;
  }
  if (ArchiveName().empty() && FilesListBox.Send(LB_GETCOUNT) > 0)
    SetArchiveName(FileNamePart(ListEntry(FilesListBox.Handle(), 0)));
  TypeStep(nullptr);
}

void TZipListForm::CollectInto(const std::string &folder) {
  DWORD error = ForEachEntry(folder, [&](const FolderEntry &e) {
    if (e.IsFolder())
      CollectInto(folder + "\\" + e.name);
    else
      AddFile(folder + "\\" + e.name);
  });
  if (error != ERROR_SUCCESS)
    unreadFolders_.push_back(folder);
}

void TZipListForm::WarnUnreadFolders() {
  if (unreadFolders_.empty())
    return;
  std::string text = "次のフォルダを読み込めませんでした:";
  for (const auto &f : unreadFolders_)
    text += "\r\n" + f;
  unreadFolders_.clear();
  MessageDlg(text, MsgKind::Warning);
}

void TZipListForm::CollectFolderFiles(const std::string &folder) {
  {
    ListRedrawPause pause(FilesListBox.Handle());
    CollectInto(EndsWithBackslash(folder) ? folder.substr(0, folder.size() - 1) : folder);
  }
  WarnUnreadFolders();
}

void TZipListForm::FolderAttachButtonClick(Control &) {
  std::string chosen;
  {
    ThreadWindowsDisabled disabled;
    char display[MAX_PATH] = {};
    BROWSEINFOA bi{};
    bi.pszDisplayName = display;
    bi.lpszTitle = "圧縮して添付するフォルダを選択してください";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    // The shell's allocator is the task allocator: its items go back there.
    UniqueCoMem<ITEMIDLIST> item(SHBrowseForFolderA(&bi));
    char path[MAX_PATH] = {};
    if (item && SHGetPathFromIDListA(item.get(), path))
      chosen = path;
  }
  if (chosen.empty()) {
    BringWindowToTop(Handle());
    return;
  }
  FilesListBox.Send(LB_RESETCONTENT);
  CollectFolderFiles(chosen);
  CompressFolder(chosen);
  Finish();
}

void TZipListForm::CompressFolder(const std::string &folder) {
  std::string f = folder, proposal;
  if (IncludeFolderName) {
    proposal = FileNamePart(f);
    f = FolderPart(f);
  }
  if (EndsWithBackslash(f))
    f.pop_back();
  // Entries relative to the base folder; no stored name is cut short.
  std::vector<std::string> files = Files();
  {
    ListRedrawPause pause(FilesListBox.Handle());
    FilesListBox.Send(LB_RESETCONTENT);
    for (const auto &e : files)
      AddFile(e.size() > f.size() + 1 ? e.substr(f.size() + 1) : std::string());
  }
  std::string name;
  if (f.size() > 3 && !IncludeFolderName && UseAsFileName) {
    name = FileNamePart(f);
  } else {
    if (f.size() <= 3) {
      proposal = std::string(1, f.empty() ? '\0' : f[0]) + GetArchiveExt();
      if (f.empty())
        proposal = GetArchiveExt();
      f += "\\";
    } else if (!IncludeFolderName) {
      proposal = FileNamePart(f);
    }
    std::string answer = proposal;
    if (!InputQuery("フォルダ付きで圧縮", "圧縮ファイル名を入力してください（拡張子は省略可）", answer))
      return;
    name = FileNamePart(answer);
  }
  SetArchiveName(ReplaceExt(name, SfxCheckBox.Checked() ? ".exe" : GetArchiveExt()));
  BuildArchive(f);
}

void TZipListForm::AttachBitBtnClick(Control &) {
  BuildArchive("");
  Finish();
}

void TZipListForm::BuildArchive(const std::string &baseFolder) {
  ArchiveRequest request;
  request.files = Files();
  if (request.files.empty()) {
    MessageDlg(kEmptyList, MsgKind::Warning);
    return;
  }
  request.archiveName = ArchiveName();
  if (request.archiveName.empty()) {
    MessageDlg(kEmptyName, MsgKind::Warning);
    return;
  }
  request.baseFolder = baseFolder;
  request.selfExtract = SfxCheckBox.Checked();
  request.archiveType = archiveType_;
  request.showResult = ShowResultCheckBox.Checked();
  Close();
  if (Job)
    Job->Run(request, Handle());
}

} // namespace satchel::ui
