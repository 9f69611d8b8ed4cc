// The release package as a user installs it. tests/check_package.py copies
// this program, the mail program, into a fresh folder with a PlugIns folder
// that holds only the three binaries from the package and an input folder of
// files to send; the attachments are saved to the folder "attached" for the
// script to check.
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

using namespace satchel_test;
namespace uidriver = satchel::uidriver;

namespace {

// The folder this program runs from, with a final backslash.
std::string RunFolder() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string s(self, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::string SystemFolder(UINT(WINAPI *get)(LPSTR, UINT)) {
  char buf[MAX_PATH];
  UINT n = get(buf, MAX_PATH);
  return std::string(buf, n) + "\\";
}

// The files of the input folder, full ANSI paths in byte order.
std::vector<std::string> Inputs() {
  std::vector<std::string> found;
  satchel::ForEachEntry(RunFolder() + "input", [&](const satchel::FolderEntry &e) {
    if (!e.IsFolder())
      found.push_back(RunFolder() + "input\\" + e.name);
  });
  std::sort(found.begin(), found.end());
  return found;
}

mailhost::HostOptions Options() {
  mailhost::HostOptions o;
  o.pluginDir = RunFolder() + "PlugIns";
  o.storeDir = RunFolder() + "Store";
  o.showCommand = SW_SHOWNOACTIVATE;
  return o;
}

HWND NameEdit(HWND dlg) {
  for (const auto &c : uidriver::Controls(dlg))
    if (c.cls == "Edit")
      return c.hwnd;
  return nullptr;
}

// Zips and attaches `files` from a new compose window; answers the one
// attachment, which it also saves to the folder "attached".
mailhost::StoredAttachment ZipAndAttach(const std::vector<std::string> &files, bool sfx, const std::string &name) {
  MessageBoxAnswerer errors("エラー", "OK"), satchel("Satchel", "OK");
  mailhost::HostThread host(Options());
  EXPECT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  EXPECT_TRUE(mailhost::PickMenuItem(compose, "Zip and attach..."));
  HWND dlg = uidriver::WaitForWindow("Zip and attach", "TZipListForm");
  if (!dlg) {
    ADD_FAILURE() << "no attachment dialog";
    return {};
  }
  EXPECT_TRUE(uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), sfx));
  PostMessageA(dlg, WM_DROPFILES, WPARAM(uidriver::MakeDrop(files)), 0);
  HWND edit = NameEdit(dlg);
  EXPECT_TRUE(uidriver::WaitUntil([&] { return uidriver::WindowText(edit) == name; })) << uidriver::WindowText(edit);
  EXPECT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
  EXPECT_TRUE(satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 30000));
  auto attached = host.host().Attachments(compose);
  host.Stop();
  EXPECT_FALSE(errors.Result().found) << errors.Result().text;
  EXPECT_FALSE(satchel.Result().found) << satchel.Result().text;
  if (attached.size() != 1) {
    ADD_FAILURE() << attached.size() << " attachments";
    return {};
  }
  WriteFile(RunFolder() + "attached\\" + attached[0].fileName, attached[0].bytes);
  return attached[0];
}

} // namespace

TEST(InstalledPackage, NothingOutsideThePlugInFolderIsThereToHelp) {
  // ZIP32.DLL is looked for in the program's folder and the system folders
  // before the plug-in's: none may be there, so what works below works with
  // the package's own files.
  for (const std::string &dir : {RunFolder(), SystemFolder(GetSystemDirectoryA), SystemFolder(GetWindowsDirectoryA)}) {
    EXPECT_FALSE(Exists(dir + "ZIP32.DLL")) << dir;
    EXPECT_FALSE(Exists(dir + "sfx32.dat")) << dir;
  }
  ASSERT_EQ(Inputs().size(), 3u);
}

TEST(InstalledPackage, LoadsAsThePlugInWithItsZipLibraryFound) {
  MessageBoxAnswerer errors("エラー", "OK");
  mailhost::HostThread host(Options());
  ASSERT_TRUE(host.started());
  const auto &plugins = host.host().PlugIns();
  EXPECT_TRUE(host.host().Failures().empty());
  ASSERT_EQ(plugins.size(), 1u) << "ZIP32.DLL beside it is a library, not a second plug-in";
  EXPECT_EQ(plugins[0].fileName(), "Satchel.dll");
  EXPECT_EQ(plugins[0].info().name, "Satchel plug-in");
  EXPECT_EQ(plugins[0].info().version, "2.0beta1");
  host.Stop();
  // BKC_OnStart says "zip32.dll not found." when it cannot load the library.
  EXPECT_FALSE(errors.Result().found) << errors.Result().text;
}

TEST(InstalledPackage, ZipsAndAttachesDroppedFiles) {
  auto files = Inputs();
  ASSERT_FALSE(files.empty());
  auto att = ZipAndAttach(files, false, "notes.zip");
  EXPECT_EQ(att.fileName, "notes.zip");
  EXPECT_EQ(att.mimeType, "application/zip");
}

TEST(InstalledPackage, SelfExtractingAttachmentUsesThePackagedStub) {
  std::vector<std::string> files;
  for (const auto &f : Inputs())
    if (f.size() >= 9 && f.compare(f.size() - 9, 9, "notes.txt") == 0)
      files.push_back(f);
  ASSERT_EQ(files.size(), 1u);
  auto att = ZipAndAttach(files, true, "notes.exe");
  EXPECT_EQ(att.fileName, "notes.exe");
  EXPECT_EQ(att.mimeType, "application/zip");
  std::string stub = ReadFile(RunFolder() + "PlugIns\\sfx32.dat");
  ASSERT_FALSE(stub.empty());
  EXPECT_EQ(att.bytes.compare(0, stub.size(), stub), 0);
}
