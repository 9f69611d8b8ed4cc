// Whole folders, the folder button and the build step from end to end: this
// program is the mail program with the real Satchel.dll, ZIP32.DLL and
// sfx32.dat; a user thread drops folders, answers the questions, drives the
// shell's folder browser and reads what was attached. Every archive is kept
// for check_folders.py, which tests it with unzip, 7z and zipfile.
#include "tests/folders_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace satchel_test;

namespace {

const char kQuestion[] = "確認";
const char kYes[] = "はい(&Y)";
const char kNo[] = "いいえ(&N)";
const char kCancel[] = "キャンセル";
const char kFolderQuestion[] =
    "フォルダごと圧縮しますか？\r\n(「はい」を選択するとリストボックスのファイルを無視してドロップしたファイルを圧縮"
    "します)\r\n(「いいえ」を選択するとフォルダ内のファイル全てをリストボックスに追加します)";
const char kEmptyList[] = "添付するファイルが選択されていません。\r\n追加またはエクスプローラからの Drag and Drop "
                          "でファイルを追加してください。";

// Writes each file (path relative to `root`, "\" between folders) with its
// bytes, making the folders on the way.
void MakeTree(const std::string &root, const Contents &files) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (const auto &[rel, bytes] : files) {
    for (size_t p = rel.find('\\'); p != std::string::npos; p = rel.find('\\', p + 1))
      CreateDirectoryA((root + "\\" + rel.substr(0, p)).c_str(), nullptr);
    WriteFile(root + "\\" + rel, bytes);
  }
}

// The same files under their stored names, below `prefix`.
Contents Stored(const Contents &files, const std::string &prefix = "") {
  Contents out;
  for (const auto &[rel, bytes] : files) {
    std::string name = prefix + rel;
    // A folder break, not the second byte of a double-byte character.
    for (size_t i = 0; i < name.size(); ++i)
      if (IsDBCSLeadByte(static_cast<BYTE>(name[i])))
        ++i;
      else if (name[i] == '\\')
        name[i] = '/';
    out[name] = bytes;
  }
  return out;
}

// A project folder: nested, one hidden file, one empty file, one larger
// file that deflates.
Contents ProjectFiles() {
  std::string big;
  for (int i = 0; i < 4000; ++i)
    big += "line " + std::to_string(i) + " of the report\r\n";
  return {{"b.txt", "bee\r\n"},
          {"sub\\a.txt", "a in sub"},
          {"sub\\deeper\\report.log", big},
          {"sub\\empty.dat", ""},
          {".hidden", "hidden one"}};
}

std::string FileNamePartOf(const std::string &path) { return path.substr(path.find_last_of("\\:") + 1); }

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// A dialog and the mail program around it, with one compose window.
struct Opened {
  Session &s;
  mailhost::HostThread host;
  HWND compose = nullptr, dlg = nullptr;
  explicit Opened(Session &session) : s(session), host(session.options()) {
    if (!host.started())
      return;
    compose = host.OpenCompose(100, 50);
    dlg = OpenDialog(compose);
  }
};

// The shell's folder browser of this process.
HWND WaitForFolderBrowser() {
  HWND found = nullptr;
  uidriver::WaitUntil(
      [&] {
        ForEachTopLevel([&](HWND w) -> BOOL {
          if (IsOwnWindow(w) && IsWindowVisible(w) && uidriver::ClassName(w) == "#32770" &&
              ChildOfClass(w, "SysTreeView32")) {
            found = w;
            return FALSE;
          }
          return TRUE;
        });
        return found != nullptr;
      },
      20000);
  return found;
}

// Selects `folder` in the browser through the tree, as the browser's own
// BFFM_SETSELECTION does, and presses OK (or Cancel).
bool ChooseInBrowser(HWND browser, const std::string &folder, bool cancel = false) {
  if (!cancel) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(browser, BFFM_SETSELECTIONA, TRUE, LPARAM(folder.c_str()), SMTO_NORMAL, 10000, &r);
  }
  for (const auto &c : uidriver::Controls(browser))
    if (c.cls == "Button" && c.id == (cancel ? IDCANCEL : IDOK))
      return uidriver::Click(c.hwnd);
  return false;
}

// S:, which the folders_drive step maps to <build>\tests\folders-drive
// through the prefix's dosdevices folder (DefineDosDevice definitions are
// not seen by Wine's file system). Emptied for each test.
const char kDriveLetter = 'S';
std::string DriveFolder() { return BuildDir() + "\\tests\\folders-drive"; }

} // namespace

// The table of folder compression: how the options and the way the folder
// came decide the stored names, the base folder and the archive's name.
TEST(FolderDrop, OneFolderYesExcludingItsNameIsNamedAfterItWithoutAsking) {
  Session s;
  s.FolderOptions(false, true);
  Contents files = ProjectFiles();
  std::string proj = s.files / "proj";
  MakeTree(proj, files);
  SetFileAttributesA((proj + "\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(GetFileAttributesA((proj + "\\.hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {proj});
  auto question = AnswerBox(kQuestion, kYes);
  auto att = WaitForAttachment(r.host, r.compose);
  bool asked = uidriver::WaitForWindow("フォルダ付きで圧縮", "", 0) != nullptr;
  r.host.Stop();
  EXPECT_EQ(question.text, kFolderQuestion);
  EXPECT_EQ(question.buttons, (std::vector<std::string>{kYes, kNo, kCancel}));
  EXPECT_FALSE(asked);
  EXPECT_EQ(att.fileName, "proj.zip");
  EXPECT_EQ(att.mimeType, "application/zip");
  EXPECT_TRUE(KeepForChecker("drop-exclude.zip", att.bytes, Stored(files)));
}

TEST(FolderDrop, OneFolderYesIncludingItsNameAsksWithAnEmptyProposal) {
  Session s;
  s.FolderOptions(true, true);
  Contents files = ProjectFiles();
  std::string proj = s.files / "proj";
  MakeTree(proj, files);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {proj});
  AnswerBox(kQuestion, kYes);
  std::string proposal = "(not asked)";
  // A folder typed in front of the name is dropped; the extension is added.
  ASSERT_TRUE(AnswerNameBox(proposal, "C:\\elsewhere\\proj"));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(proposal, "");
  EXPECT_EQ(att.fileName, "proj.zip");
  EXPECT_TRUE(KeepForChecker("drop-include.zip", att.bytes, Stored(files, "proj/")));
}

TEST(FolderDrop, OneFolderYesNotUsingItsNameAsksProposingIt) {
  Session s;
  s.FolderOptions(false, false);
  Contents files = ProjectFiles();
  std::string proj = s.files / "proj";
  MakeTree(proj, files);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {proj});
  AnswerBox(kQuestion, kYes);
  std::string proposal;
  ASSERT_TRUE(AnswerNameBox(proposal, "bundle"));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(proposal, "proj");
  EXPECT_EQ(att.fileName, "bundle.zip");
  EXPECT_TRUE(KeepForChecker("drop-ask.zip", att.bytes, Stored(files)));
}

TEST(FolderDrop, SeveralItemsYesAreStoredBelowTheirCommonFolder) {
  Session s;
  s.FolderOptions(false, true);
  Contents files = ProjectFiles();
  std::string work = s.files / "work";
  CreateDirectoryA(work.c_str(), nullptr);
  MakeTree(work + "\\proj", files);
  WriteFile(work + "\\top.txt", "top");
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {work + "\\proj", work + "\\top.txt"});
  AnswerBox(kQuestion, kYes);
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(att.fileName, "work.zip");
  Contents expected = Stored(files, "proj/");
  expected["top.txt"] = "top";
  EXPECT_TRUE(KeepForChecker("drop-several.zip", att.bytes, expected));
}

TEST(FolderDrop, TwoFoldersNoAsksOnceAndListsEveryFileHiddenOnesToo) {
  Session s;
  std::string one = s.files / "one", two = s.files / "two";
  MakeTree(one, {{"x.txt", "x"}, {"in\\y.txt", "y"}});
  MakeTree(two, {{"z.txt", "z"}, {".secret", "s"}});
  SetFileAttributesA((two + "\\.secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {one, two});
  AnswerBox(kQuestion, kNo);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ListOf(r.dlg).size() == 4; })) << ListOf(r.dlg).size();
  bool askedAgain = uidriver::WaitForWindow(kQuestion, "", 500) != nullptr;
  auto list = ListOf(r.dlg);
  std::string name = ArchiveNameOf(r.dlg);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "A&ttach")));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_FALSE(askedAgain);
  EXPECT_EQ(Sorted(list), Sorted({one + "\\x.txt", one + "\\in\\y.txt", two + "\\z.txt", two + "\\.secret"}));
  std::string first = FileNamePartOf(list[0]);
  EXPECT_EQ(name, first.substr(0, first.rfind('.')) + ".zip");
  // Listed files are stored under their own names only.
  EXPECT_TRUE(
      KeepForChecker("drop-no.zip", att.bytes, {{"x.txt", "x"}, {"y.txt", "y"}, {"z.txt", "z"}, {".secret", "s"}}));
}

TEST(FolderDrop, FilesAroundAFolderAnsweredNoKeepTheDropsOrder) {
  Session s;
  MakeTree(s.files.path(), {{"p.txt", "p"}, {"q.txt", "q"}, {"folder\\r.txt", "r"}, {"folder\\s.txt", "s"}});
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {s.files / "p.txt", s.files / "folder", s.files / "q.txt"});
  AnswerBox(kQuestion, kNo);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "p.zip"; })) << ArchiveNameOf(r.dlg);
  auto list = ListOf(r.dlg);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "&Cancel")));
  r.host.Stop();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.front(), s.files / "p.txt");
  EXPECT_EQ(Sorted({list[1], list[2]}), Sorted({s.files / "folder\\r.txt", s.files / "folder\\s.txt"}));
  EXPECT_EQ(list.back(), s.files / "q.txt");
}

// Under code page 932 the second byte of 表 and ソ is the byte of "\".
TEST(FolderDrop, AFolderNameEndingInATrailByteLikeABackslashKeepsItsName) {
  Session s;
  s.FolderOptions(false, true);
  Contents files = {{"a.txt", "a"}, {"ソ\\b.txt", "b"}};
  std::string folder = s.files / "表";
  MakeTree(folder, files);
  ASSERT_TRUE(Exists(folder + "\\ソ\\b.txt"));
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {folder});
  AnswerBox(kQuestion, kYes);
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(att.fileName, "表.zip");
  EXPECT_TRUE(KeepForChecker("drop-dbcs.zip", att.bytes, Stored(files)));
}

TEST(FolderDrop, CancelTakesBackWhatTheDropHadAppended) {
  Session s;
  MakeTree(s.files.path(), {{"first.txt", "1"}, {"p.txt", "p"}, {"q.txt", "q"}, {"folder\\r.txt", "r"}});
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {s.files / "first.txt"});
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "first.zip"; }));
  Drop(r.dlg, {s.files / "p.txt", s.files / "q.txt", s.files / "folder"});
  auto question = AnswerBox(kQuestion, kCancel);
  EXPECT_EQ(question.text, kFolderQuestion);
  // The dialog stays, with the list as before the drop.
  uidriver::Sync(r.dlg);
  EXPECT_EQ(ListOf(r.dlg), std::vector<std::string>{s.files / "first.txt"});
  EXPECT_EQ(ArchiveNameOf(r.dlg), "first.zip");
  EXPECT_TRUE(IsWindowVisible(r.dlg));
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "&Cancel")));
  ASSERT_TRUE(uidriver::WaitGone(r.dlg));
  r.host.Stop();
  EXPECT_TRUE(r.host.host().Attachments(r.compose).empty());
}

TEST(FolderButton, ADriveRootIsAskedForAsTheDriveLetterAndStoredFromItsTop) {
  Session s;
  Contents files = {{"a.txt", "root file"}, {"d\\e.txt", "in d"}};
  std::string root = std::string(1, kDriveLetter) + ":\\";
  ASSERT_TRUE(Exists(root)) << root << " is not mapped; ctest's folders_drive step maps it";
  satchel::RemoveTree(DriveFolder());
  MakeTree(DriveFolder(), files);
  ASSERT_TRUE(Exists(root + "d\\e.txt")) << root;
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "Attach fol&der...")));
  HWND browser = WaitForFolderBrowser();
  ASSERT_NE(browser, nullptr);
  bool dialogDisabled = !IsWindowEnabled(r.dlg);
  bool hasTitle = false;
  for (const auto &c : uidriver::Controls(browser))
    hasTitle = hasTitle || c.text == "圧縮して添付するフォルダを選択してください";
  ASSERT_TRUE(ChooseInBrowser(browser, root));
  std::string proposal;
  ASSERT_TRUE(AnswerNameBox(proposal, std::string(1, kDriveLetter) + ".zip"));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_TRUE(dialogDisabled) << "the dialog stays usable under the browser";
  EXPECT_TRUE(hasTitle);
  EXPECT_EQ(proposal, std::string(1, kDriveLetter) + ".zip");
  EXPECT_EQ(att.fileName, std::string(1, kDriveLetter) + ".zip");
  EXPECT_TRUE(KeepForChecker("button-drive.zip", att.bytes, Stored(files)));
}

TEST(FolderButton, CancellingTheBrowserKeepsTheDialogAndItsList) {
  Session s;
  WriteFile(s.files / "kept.txt", "k");
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {s.files / "kept.txt"});
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "kept.zip"; }));
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "Attach fol&der...")));
  HWND browser = WaitForFolderBrowser();
  ASSERT_NE(browser, nullptr);
  ASSERT_TRUE(ChooseInBrowser(browser, "", true));
  ASSERT_TRUE(uidriver::WaitGone(browser));
  ASSERT_TRUE(uidriver::WaitUntil([&] { return IsWindowEnabled(r.dlg) != FALSE; }));
  EXPECT_TRUE(IsWindowVisible(r.dlg));
  EXPECT_EQ(ListOf(r.dlg), std::vector<std::string>{s.files / "kept.txt"});
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "&Cancel")));
  r.host.Stop();
  EXPECT_TRUE(r.host.host().Attachments(r.compose).empty());
}

TEST(FolderButton, AnEmptyFolderEndsAtTheEmptyListWarning) {
  Session s;
  std::string empty = s.files / "nothing";
  CreateDirectoryA(empty.c_str(), nullptr);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "Attach fol&der...")));
  HWND browser = WaitForFolderBrowser();
  ASSERT_NE(browser, nullptr);
  ASSERT_TRUE(ChooseInBrowser(browser, empty));
  auto warning = AnswerBox("警告", "OK");
  ASSERT_TRUE(uidriver::WaitGone(r.dlg));
  bool failedBox = uidriver::WaitForWindow("エラー", "", 500) != nullptr;
  r.host.Stop();
  EXPECT_EQ(warning.text, kEmptyList);
  EXPECT_FALSE(failedBox) << "no archive was asked for, so nothing failed";
  EXPECT_TRUE(r.host.host().Attachments(r.compose).empty());
  EXPECT_FALSE(Exists(s.ini()));
}

// What the user gets: a self-extracting program that restores the folder.
TEST(SelfExtract, TheAttachedProgramRestoresTheFilesByteForByte) {
  Session s;
  Contents files = ProjectFiles();
  std::string proj = s.files / "proj";
  MakeTree(proj, files);
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  ASSERT_TRUE(uidriver::SetChecked(uidriver::FindControl(r.dlg, "&Self-extract"), true));
  Drop(r.dlg, {proj});
  AnswerBox(kQuestion, kYes);
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  ASSERT_EQ(att.fileName, "proj.exe");
  EXPECT_TRUE(KeepForChecker("sfx-proj.exe", att.bytes, Stored(files)));

  TempFolder run, out;
  std::string program = run / "proj.exe";
  WriteFile(program, att.bytes);
  std::string cmd = "\"" + program + "\" -d \"" + out.path() + "\" -q";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(
      CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, run.path().c_str(), &si, &pi));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  for (const auto &[rel, bytes] : files) {
    ASSERT_TRUE(Exists(out / rel)) << rel;
    EXPECT_TRUE(ReadFile(out / rel) == bytes) << rel;
  }
}

// The system's file-open dialog of this process: types `path` as the file
// name and presses Open.
bool OpenInFileDialog(const std::string &path) {
  HWND dlg = nullptr;
  uidriver::WaitUntil(
      [&] {
        ForEachTopLevel([&](HWND w) -> BOOL {
          if (IsOwnWindow(w) && IsWindowVisible(w) && uidriver::ClassName(w) == "#32770" &&
              (GetDlgItem(w, 0x47c) || GetDlgItem(w, 0x480))) {
            dlg = w;
            return FALSE;
          }
          return TRUE;
        });
        return dlg != nullptr;
      },
      20000);
  if (!dlg)
    return false;
  // The file-name box: a combo box (cmb13) holding an edit box, or an edit
  // box of its own (edt1).
  HWND edit = GetDlgItem(dlg, 0x480);
  if (HWND combo = GetDlgItem(dlg, 0x47c))
    edit = ChildOfClass(combo, "Edit");
  if (!edit)
    return false;
  uidriver::Type(edit, path);
  HWND open = GetDlgItem(dlg, IDOK);
  return open && uidriver::Click(open) && uidriver::WaitGone(dlg, 20000);
}

TEST(BuildStep, FilesAddedThroughTheOpenDialogAreZippedUnderTheFirstOnesName) {
  Session s;
  WriteFile(s.files / "first.txt", "one");
  WriteFile(s.files / "second.bin", std::string(3000, '\x7f'));
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "&Add")));
  ASSERT_TRUE(OpenInFileDialog(s.files / "first.txt"));
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "first.zip"; })) << ArchiveNameOf(r.dlg);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "&Add")));
  ASSERT_TRUE(OpenInFileDialog(s.files / "second.bin"));
  uidriver::Sync(r.dlg);
  EXPECT_EQ(ListOf(r.dlg), (std::vector<std::string>{s.files / "first.txt", s.files / "second.bin"}));
  EXPECT_EQ(ArchiveNameOf(r.dlg), "first.zip");
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "A&ttach")));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(att.fileName, "first.zip");
  EXPECT_TRUE(
      KeepForChecker("added.zip", att.bytes, {{"first.txt", "one"}, {"second.bin", std::string(3000, '\x7f')}}));
}

// Naming at the build step: the type's extension, and a name typed by hand.
TEST(BuildStep, TypeLhaBuildsAZipNamedLzhAttachedAsLha) {
  Session s;
  s.Set("Options", "ArchiveType", "0");
  WriteFile(s.files / "report.doc", std::string(7000, 'd'));
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {s.files / "report.doc"});
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "report.lzh"; })) << ArchiveNameOf(r.dlg);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "A&ttach")));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(att.fileName, "report.lzh");
  EXPECT_EQ(att.mimeType, "application/x-lha");
  EXPECT_TRUE(KeepForChecker("type0.lzh", att.bytes, {{"report.doc", std::string(7000, 'd')}}));
  EXPECT_EQ(s.Get("Options", "ArchiveType"), "0");
}

TEST(BuildStep, ANameTypedWithoutExtensionIsAttachedUnderExactlyThatName) {
  Session s;
  WriteFile(s.files / "a.txt", "alpha");
  WriteFile(s.files / "b.txt", "beta");
  Opened r(s);
  ASSERT_NE(r.dlg, nullptr);
  Drop(r.dlg, {s.files / "a.txt", s.files / "b.txt"});
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(r.dlg) == "a.zip"; }));
  uidriver::Type(ChildOfClass(r.dlg, "Edit"), "notes");
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(r.dlg, "A&ttach")));
  auto att = WaitForAttachment(r.host, r.compose);
  r.host.Stop();
  EXPECT_EQ(att.fileName, "notes");
  EXPECT_EQ(att.mimeType, "application/zip");
  EXPECT_TRUE(KeepForChecker("typed-notes", att.bytes, {{"a.txt", "alpha"}, {"b.txt", "beta"}}));
}
