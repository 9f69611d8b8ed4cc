// Zip and attach from end to end: this program is the mail program, with
// the real Satchel.dll and ZIP32.DLL in its plug-in folder; a user thread
// drops files onto the dialog and presses its buttons.
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

using namespace satchel_test;
namespace uidriver = satchel::uidriver;

namespace {

HWND NameEdit(HWND dlg) {
  for (const auto &c : uidriver::Controls(dlg))
    if (c.cls == "Edit")
      return c.hwnd;
  return nullptr;
}

HWND OpenDialog(mailhost::HostThread &, HWND compose) {
  EXPECT_TRUE(mailhost::PickMenuItem(compose, "Zip and attach..."));
  return uidriver::WaitForWindow("Zip and attach", "TZipListForm");
}

// Drops `paths` onto the dialog (ticking "&Self-extract" first when asked),
// waits for the proposed archive name and presses Attach.
void DropAndAttach(HWND dlg, const std::vector<std::string> &paths, const std::string &name, bool sfx = false) {
  if (sfx) {
    ASSERT_TRUE(uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), true));
  }
  PostMessageA(dlg, WM_DROPFILES, WPARAM(uidriver::MakeDrop(paths)), 0);
  HWND edit = NameEdit(dlg);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return uidriver::WindowText(edit) == name; })) << name;
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
}

// A ZIP archive holding one stored file, as another program might have
// left it in the temporary folder.
std::string StoredZip(const std::string &name, const std::string &data) {
  unsigned long crc = 0xFFFFFFFFul;
  for (unsigned char b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
  }
  crc ^= 0xFFFFFFFFul;
  auto u16 = [](unsigned v) { return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)}; };
  auto u32 = [&](unsigned long v) { return u16(unsigned(v & 0xFFFF)) + u16(unsigned(v >> 16)); };
  std::string sizes = u32(crc) + u32(data.size()) + u32(data.size()) + u16(unsigned(name.size())) + u16(0);
  std::string local = std::string("PK\x03\x04", 4) + u16(10) + u16(0) + u16(0) + u32(0) + sizes + name + data;
  std::string central = std::string("PK\x01\x02", 4) + u16(20) + u16(10) + u16(0) + u16(0) + u32(0) + sizes + u16(0) +
                        u16(0) + u16(0) + u32(0) + u32(0) + name;
  return local + central + std::string("PK\x05\x06", 4) + u16(0) + u16(0) + u16(1) + u16(1) + u32(central.size()) +
         u32(local.size()) + u16(0);
}

std::vector<std::string> Satchel_temp_folders() {
  std::vector<std::string> found;
  satchel::ForEachMatch(TempRoot() + "Satchel-*", [&](const satchel::FolderEntry &e) { found.push_back(e.name); });
  return found;
}

} // namespace

TEST(ZipAndAttach, DroppedFilesAreZippedAttachedAndTheSettingsSaved) {
  Session s;
  WriteFile(s.files / "report.doc", std::string(5000, 'r'));
  WriteFile(s.files / "data.txt", "hello\r\n");
  // An archive that already lies in the temporary folder under the new
  // archive's name stays untouched, and nothing of it is merged in.
  std::string bystander = TempRoot() + "report.zip";
  const std::string earlier = StoredZip("earlier-entry.txt", "not ours");
  WriteFile(bystander, earlier);
  auto before = Satchel_temp_folders();

  MessageBoxAnswerer anyError("エラー", "OK");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  RECT r;
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.left, 132);
  EXPECT_EQ(r.top, 82);
  DropAndAttach(dlg, {s.files / "report.doc", s.files / "data.txt"}, "report.zip");
  ASSERT_TRUE(satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 20000));

  auto att = host.host().Attachments(compose);
  ASSERT_EQ(att.size(), 1u);
  EXPECT_EQ(att[0].fileName, "report.zip");
  EXPECT_EQ(att[0].mimeType, "application/zip");
  ASSERT_GT(att[0].bytes.size(), 22u);
  EXPECT_EQ(att[0].bytes.substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_NE(att[0].bytes.find("report.doc"), std::string::npos);
  EXPECT_NE(att[0].bytes.find("data.txt"), std::string::npos);
  EXPECT_EQ(att[0].bytes.find("earlier-entry.txt"), std::string::npos);
  host.Stop();
  EXPECT_FALSE(anyError.Result().found);
  EXPECT_TRUE(ReadFile(bystander) == earlier);
  DeleteFileA(bystander.c_str());
  EXPECT_EQ(Satchel_temp_folders(), before) << "the working folder is left behind";

  char v[16];
  GetPrivateProfileStringA("Options", "ArchiveType", "", v, sizeof v, s.ini().c_str());
  EXPECT_STREQ(v, "1");
  GetPrivateProfileStringA("Options", "IsSfx", "", v, sizeof v, s.ini().c_str());
  EXPECT_STREQ(v, "0");
  GetPrivateProfileStringA("Options", "ShowResult", "", v, sizeof v, s.ini().c_str());
  EXPECT_STREQ(v, "0");
  GetPrivateProfileStringA("FolderCompression", "UseAsFileName", "none", v, sizeof v, s.ini().c_str());
  EXPECT_STREQ(v, "none");
}

TEST(ZipAndAttach, CancelWritesNothing) {
  Session s;
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "&Cancel")));
  ASSERT_TRUE(uidriver::WaitGone(dlg));
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  host.Stop();
  EXPECT_FALSE(Exists(s.ini()));
}

TEST(ZipAndAttach, WithoutTheZipLibraryNothingIsAttached) {
  Session s(ZipLibrary::None);
  WriteFile(s.files / "a.txt", "a");
  // The start-up check tells first, before the host is up.
  MessageBoxAnswerer atStart("エラー", "OK");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  EXPECT_EQ(atStart.Result().text, "zip32.dll not found.");
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  DropAndAttach(dlg, {s.files / "a.txt"}, "a.zip");
  // Two error boxes, one after the other: the build step's, then the
  // command's.
  std::vector<uidriver::MessageBoxInfo> boxes;
  for (int i = 0; i < 2; ++i) {
    HWND box = uidriver::WaitForWindow("エラー", "", 20000);
    if (!box)
      break;
    boxes.push_back(uidriver::ReadMessageBox(box));
    uidriver::Answer(box, "OK");
    ASSERT_TRUE(uidriver::WaitGone(box));
  }
  bool more = uidriver::WaitForWindow("エラー", "", 500) != nullptr;
  ASSERT_TRUE(uidriver::WaitGone(dlg, 20000));
  host.Stop();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "圧縮に必要なDLLが見つかりません。");
  EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_TRUE(boxes[0].hasIcon);
  EXPECT_EQ(boxes[1].text, "compression failed.");
  EXPECT_FALSE(more);
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  EXPECT_FALSE(Exists(s.ini()));
}

TEST(ZipAndAttach, SelfExtractingProgramIsTheStubFollowedByTheArchive) {
  Session s;
  WriteFile(s.files / "plan.txt", std::string(3000, 'p'));
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  DropAndAttach(dlg, {s.files / "plan.txt"}, "plan.exe", true);
  ASSERT_TRUE(satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 20000));
  auto att = host.host().Attachments(compose);
  host.Stop();
  ASSERT_EQ(att.size(), 1u);
  EXPECT_EQ(att[0].fileName, "plan.exe");
  EXPECT_EQ(att[0].mimeType, "application/zip");
  std::string stub = ReadFile(DistFile("sfx32.dat"));
  ASSERT_GT(att[0].bytes.size(), stub.size());
  EXPECT_EQ(att[0].bytes.substr(0, stub.size()), stub);
  EXPECT_EQ(att[0].bytes.substr(stub.size(), 4), std::string("PK\x03\x04", 4));
}

TEST(ZipAndAttach, MissingStubIsReportedAndNothingIsLeftBehind) {
  Session s;
  DeleteFileA((s.plugins / "sfx32.dat").c_str());
  WriteFile(s.files / "plan.txt", "p");
  auto before = Satchel_temp_folders();
  MessageBoxAnswerer satchel("Satchel", "OK"), errors("エラー", "OK");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  DropAndAttach(dlg, {s.files / "plan.txt"}, "plan.exe", true);
  ASSERT_TRUE(uidriver::WaitGone(dlg, 20000));
  auto stubBox = satchel.Wait(10000);
  auto failed = errors.Wait(10000);
  host.Stop();
  EXPECT_EQ(stubBox.text, "sfx32.dat not found");
  EXPECT_EQ(failed.text, "compression failed.");
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  EXPECT_EQ(Satchel_temp_folders(), before);
}

TEST(ZipAndAttach, AFileGoneBeforeAttachIsNamedInTheFailureAndNothingIsLeftBehind) {
  Session s;
  WriteFile(s.files / "kept.txt", "kept");
  WriteFile(s.files / "gone.txt", "gone");
  auto before = Satchel_temp_folders();
  MessageBoxAnswerer errors("エラー", "OK");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  PostMessageA(dlg, WM_DROPFILES, WPARAM(uidriver::MakeDrop({s.files / "kept.txt", s.files / "gone.txt"})), 0);
  HWND edit = NameEdit(dlg);
  ASSERT_TRUE(uidriver::WaitUntil([&] { return uidriver::WindowText(edit) == "kept.zip"; }));
  DeleteFileA((s.files / "gone.txt").c_str());
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
  auto failed = errors.Wait(20000);
  ASSERT_TRUE(uidriver::WaitGone(dlg, 20000));
  host.Stop();
  EXPECT_EQ(failed.text.rfind("compression failed.", 0), 0u) << failed.text;
  EXPECT_NE(failed.text.find(s.files / "gone.txt"), std::string::npos) << failed.text;
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  EXPECT_EQ(Satchel_temp_folders(), before);
  EXPECT_FALSE(Exists(s.ini()));
}

// The library stores a name given twice once; that archive is complete.
TEST(ZipAndAttach, TheSameFileDroppedTwiceIsAttachedOnce) {
  Session s;
  WriteFile(s.files / "twice.txt", "twice");
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(host, compose);
  ASSERT_NE(dlg, nullptr);
  DropAndAttach(dlg, {s.files / "twice.txt", s.files / "twice.txt"}, "twice.zip");
  ASSERT_TRUE(satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 20000));
  auto att = host.host().Attachments(compose);
  host.Stop();
  ASSERT_EQ(att.size(), 1u);
  EXPECT_EQ(att[0].fileName, "twice.zip");
  std::string central("PK\x01\x02", 4);
  size_t first = att[0].bytes.find(central);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(att[0].bytes.find(central, first + 1), std::string::npos) << "one entry";
}
