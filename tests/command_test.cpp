// The zip-and-attach command as the mail program runs it: this program is
// the host, with the real Satchel.dll, ZIP32.DLL and sfx32.dat in its
// plug-in folder and a settings file that the command reads and writes; a
// second thread plays the user. The message the host stores is read again
// on the Linux side by check_eml.py.
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <mutex>

using namespace satchel_test;
namespace ud = satchel::uidriver;

namespace {

const char kCaption[] = "Zip and attach";
const char kSfx[] = "&Self-extract";
const char kShowResult[] = "S&how result";
const char kNoSfxForType[] = "この形式では自己解凍ファイルが作成できません。";

// The attachment dialog opened by one pick of the command.
struct Dialog {
  HWND hwnd = nullptr;
  ud::ControlInfo Get(const char *text) const { return ud::Describe(ud::FindControl(hwnd, text)); }
  HWND NameEdit() const {
    for (const auto &c : ud::Controls(hwnd))
      if (c.cls == "Edit")
        return c.hwnd;
    return nullptr;
  }
  // Drops files and waits for the name the dialog proposes.
  bool Drop(const std::vector<std::string> &paths, const std::string &name) const {
    PostMessageA(hwnd, WM_DROPFILES, WPARAM(ud::MakeDrop(paths)), 0);
    HWND edit = NameEdit();
    return ud::WaitUntil([&] { return ud::WindowText(edit) == name; });
  }
  bool Attach() const { return ud::Click(ud::FindControl(hwnd, "A&ttach")); }
};

Dialog Pick(HWND compose) {
  EXPECT_TRUE(mailhost::PickMenuItem(compose, "Zip and attach..."));
  return {ud::WaitForWindow(kCaption, "TZipListForm")};
}

// Waits for the compose window's n-th attachment, then for the command to
// return: what follows the attach call runs no message loop, so a message
// sent to the host's window is handled only after it.
bool WaitForAttachments(mailhost::HostThread &host, HWND compose, size_t n) {
  if (!satchel::uidriver::WaitUntil([&] { return host.host().Attachments(compose).size() >= n; }, 30000))
    return false;
  ud::Sync(compose);
  return true;
}

// The result dialog the build shows on request: its text, then closed.
std::string TakeResult() {
  HWND result = ud::WaitForWindow("Result", "TResultForm", 30000);
  if (!result)
    return "(no result dialog)";
  std::string text;
  for (const auto &c : ud::Controls(result))
    if (c.cls == "Edit")
      text = c.text;
  ud::CloseBox(result);
  ud::WaitGone(result);
  return text;
}

// What the build step leaves in the temporary folder: its private folders
// (Satchel-<pid>-<tick>, this process's only: other test programs may be
// building at the same time) and files of the archive's name.
std::vector<std::string> TempLeftovers(const std::vector<std::string> &names) {
  std::vector<std::string> found;
  std::string ours = "Satchel-" + std::to_string(GetCurrentProcessId()) + "-";
  satchel::ForEachMatch(TempRoot() + ours + "*", [&](const satchel::FolderEntry &e) {
    if (e.name.compare(0, ours.size(), ours) == 0) // the search ignores case
      found.push_back(e.name);
  });
  for (const auto &n : names)
    if (Exists(TempRoot() + n))
      found.push_back(n);
  return found;
}

TEST(ZipAndAttachCommand, WithoutASettingsFileTheDefaultsApplyAndOnlyTheOptionsAreWritten) {
  Session s;
  satchel::RemoveTree(s.files / "proj");
  CreateDirectoryA((s.files / "proj").c_str(), nullptr);
  CreateDirectoryA((s.files / "proj\\sub").c_str(), nullptr);
  WriteFile(s.files / "proj\\a.txt", "alpha");
  WriteFile(s.files / "proj\\sub\\b.txt", "beta");
  ud::BoxWatcher errors("エラー");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  Dialog d = Pick(compose);
  ASSERT_NE(d.hwnd, nullptr);
  // Zip, self-extracting off, show result off; both boxes usable.
  EXPECT_TRUE(d.Get("Zip").checked);
  for (const char *box : {kSfx, kShowResult}) {
    EXPECT_FALSE(d.Get(box).checked) << box;
    EXPECT_TRUE(d.Get(box).enabled) << box;
  }
  // "UseAsFileName" on and "IncludeFolderName" off: a folder dropped and
  // answered Yes is named after itself without a question, its entries
  // relative to it.
  PostMessageA(d.hwnd, WM_DROPFILES, WPARAM(ud::MakeDrop({s.files / "proj"})), 0);
  HWND question = ud::WaitForWindow("確認", "TMessageForm");
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(ud::Answer(question, "はい(&Y)"));
  HWND asked = nullptr;
  ASSERT_TRUE(satchel::uidriver::WaitUntil(
      [&] {
        asked = ud::WaitForWindow("", "TInputQueryForm", 0);
        return asked || !host.host().Attachments(compose).empty();
      },
      30000));
  if (asked) {
    ud::CloseBox(asked);
    FAIL() << "the archive's name was asked for";
  }
  auto att = host.host().Attachments(compose);
  host.Stop();
  ASSERT_EQ(att.size(), 1u);
  EXPECT_EQ(att[0].fileName, "proj.zip");
  EXPECT_EQ(att[0].mimeType, "application/zip");
  EXPECT_NE(att[0].bytes.find("sub/b.txt"), std::string::npos);
  EXPECT_EQ(att[0].bytes.find("proj/"), std::string::npos);
  EXPECT_TRUE(errors.Texts().empty());
  EXPECT_EQ(s.Get("Options", "ArchiveType"), "1");
  EXPECT_EQ(s.Get("Options", "IsSfx"), "0");
  EXPECT_EQ(s.Get("Options", "ShowResult"), "0");
  EXPECT_EQ(s.Get("FolderCompression", "UseAsFileName"), "(none)");
  EXPECT_EQ(s.Get("FolderCompression", "IncludeFolderName"), "(none)");
}

TEST(ZipAndAttachCommand, TheNextCommandOpensWithWhatTheLastAttachSaved) {
  Session s;
  WriteFile(s.files / "plan.txt", std::string(4000, 'p'));
  WriteFile(s.files / "data.txt", "1,2,3\r\n");
  WriteFile(s.files / "notes.txt", "n");
  auto before = TempLeftovers({});
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);

  // First: a self-extracting program, its result shown.
  {
    Dialog d = Pick(compose);
    ASSERT_NE(d.hwnd, nullptr);
    ASSERT_TRUE(ud::SetChecked(ud::FindControl(d.hwnd, kSfx), true));
    ASSERT_TRUE(ud::SetChecked(ud::FindControl(d.hwnd, kShowResult), true));
    ASSERT_TRUE(d.Drop({s.files / "plan.txt"}, "plan.exe"));
    ASSERT_TRUE(d.Attach());
    EXPECT_NE(TakeResult().find("plan.txt"), std::string::npos);
    ASSERT_TRUE(WaitForAttachments(host, compose, 1));
  }
  EXPECT_EQ(host.host().Attachments(compose)[0].fileName, "plan.exe");
  EXPECT_EQ(TempLeftovers({"plan.exe"}), before) << "the temporary archive is left behind";
  EXPECT_EQ(s.Get("Options", "ArchiveType"), "1");
  EXPECT_EQ(s.Get("Options", "IsSfx"), "1");
  EXPECT_EQ(s.Get("Options", "ShowResult"), "1");

  // Second pick of the same window: both boxes come back ticked.
  {
    Dialog d = Pick(compose);
    ASSERT_NE(d.hwnd, nullptr);
    EXPECT_TRUE(d.Get(kSfx).checked);
    EXPECT_TRUE(d.Get(kShowResult).checked);
    EXPECT_TRUE(d.Get(kSfx).enabled);
    EXPECT_TRUE(d.Drop({s.files / "notes.txt"}, "notes.exe"));
    ASSERT_TRUE(ud::Click(ud::FindControl(d.hwnd, "&Cancel")));
    ASSERT_TRUE(ud::WaitGone(d.hwnd));
    ud::Sync(compose);
  }

  // The file edited by hand between two commands: a tar type with
  // self-extracting asked for is refused once; the stored show-result is
  // applied last, so that box is ticked though disabled. The drop runs the
  // type step again, which clears it, so no result is shown and the saved
  // show-result is off.
  WritePrivateProfileStringA("Options", "ArchiveType", "3", s.ini().c_str());
  {
    ud::BoxWatcher errors("エラー");
    Dialog d = Pick(compose);
    ASSERT_NE(d.hwnd, nullptr);
    EXPECT_FALSE(d.Get(kSfx).checked);
    EXPECT_FALSE(d.Get(kSfx).enabled);
    EXPECT_TRUE(d.Get(kShowResult).checked);
    EXPECT_FALSE(d.Get(kShowResult).enabled);
    EXPECT_TRUE(d.Get("tar+gzip").checked);
    ASSERT_TRUE(d.Drop({s.files / "data.txt"}, "data.tgz"));
    EXPECT_FALSE(d.Get(kShowResult).checked);
    ASSERT_TRUE(d.Attach());
    ASSERT_TRUE(WaitForAttachments(host, compose, 2));
    EXPECT_EQ(ud::WaitForWindow("Result", "TResultForm", 0), nullptr);
    EXPECT_EQ(errors.Texts(), std::vector<std::string>{kNoSfxForType});
  }
  auto att = host.host().Attachments(compose);
  host.Stop();
  ASSERT_EQ(att.size(), 2u);
  EXPECT_EQ(att[1].fileName, "data.tgz");
  EXPECT_EQ(att[1].mimeType, "application/x-compressed");
  EXPECT_EQ(att[1].bytes.substr(0, 4), std::string("PK\x03\x04", 4)) << "every type is built as a ZIP archive";
  EXPECT_EQ(TempLeftovers({"data.tgz"}), before);
  EXPECT_EQ(s.Get("Options", "ArchiveType"), "3");
  EXPECT_EQ(s.Get("Options", "IsSfx"), "0");
  EXPECT_EQ(s.Get("Options", "ShowResult"), "0");
}

TEST(ZipAndAttachCommand, ValuesEditedByHandAreReadAsNumbersOrTheirDefaultsAndTheAttachWritesTheDialogsState) {
  Session s;
  WritePrivateProfileStringA("Options", "ArchiveType", "7", s.ini().c_str());
  WritePrivateProfileStringA("Options", "IsSfx", "2", s.ini().c_str());
  WritePrivateProfileStringA("Options", "ShowResult", "yes", s.ini().c_str());
  WriteFile(s.files / "a.txt", "a");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  Dialog d = Pick(compose);
  ASSERT_NE(d.hwnd, nullptr);
  // 7 is no type: Zip stays; "2" is true; "yes" is no number: off.
  EXPECT_TRUE(d.Get("Zip").checked);
  EXPECT_TRUE(d.Get(kSfx).checked);
  EXPECT_FALSE(d.Get(kShowResult).checked);
  ASSERT_TRUE(d.Drop({s.files / "a.txt"}, "a.exe"));
  ASSERT_TRUE(d.Attach());
  ASSERT_TRUE(WaitForAttachments(host, compose, 1));
  host.Stop();
  EXPECT_EQ(s.Get("Options", "ArchiveType"), "1");
  EXPECT_EQ(s.Get("Options", "IsSfx"), "1");
  EXPECT_EQ(s.Get("Options", "ShowResult"), "0");
}

// The archives go into a store that check_eml.py reads afterwards:
// <build>/tests/command-eml/store/1.eml, with the attached files' sources in
// <build>/tests/command-eml/src.
TEST(ZipAndAttachCommand, StoredMessageCarriesTheArchivesForTheLinuxSideCheck) {
  if (GetACP() != 932)
    GTEST_SKIP() << "the Japanese names need code page 932";
  std::string out = BuildDir() + "\\tests\\command-eml";
  satchel::RemoveTree(out);
  CreateDirectoryA(out.c_str(), nullptr);
  std::string src = out + "\\src";
  CreateDirectoryA(src.c_str(), nullptr);
  std::string table;
  for (int i = 0; i < 20000; ++i)
    table += char((i * 31 + (i >> 7)) & 0xFF);
  WriteFile(src + "\\資料表.doc", table);
  WriteFile(src + "\\見積もり.xls", std::string(3000, 'm') + "表");
  WriteFile(src + "\\readme.txt", "Run readme.exe to unpack.\r\n");

  Session s;
  mailhost::HostThread host(s.options(out + "\\store"));
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  {
    Dialog d = Pick(compose);
    ASSERT_NE(d.hwnd, nullptr);
    ASSERT_TRUE(d.Drop({src + "\\資料表.doc", src + "\\見積もり.xls"}, "資料表.zip"));
    ASSERT_TRUE(d.Attach());
    ASSERT_TRUE(WaitForAttachments(host, compose, 1));
    ASSERT_TRUE(ud::WaitGone(d.hwnd));
  }
  {
    Dialog d = Pick(compose);
    ASSERT_NE(d.hwnd, nullptr);
    ASSERT_TRUE(ud::SetChecked(ud::FindControl(d.hwnd, kSfx), true));
    ASSERT_TRUE(d.Drop({src + "\\readme.txt"}, "readme.exe"));
    ASSERT_TRUE(d.Attach());
    ASSERT_TRUE(WaitForAttachments(host, compose, 2));
  }
  std::string eml = host.host().MessagePath(compose);
  auto att = host.host().Attachments(compose);
  host.Stop();
  EXPECT_EQ(eml, out + "\\store\\1.eml");
  ASSERT_EQ(att.size(), 2u);
  EXPECT_EQ(att[0].fileName, "資料表.zip");
  EXPECT_EQ(att[1].fileName, "readme.exe");
  EXPECT_TRUE(Exists(eml));
}

} // namespace
