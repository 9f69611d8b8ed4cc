// The host's windows with a real plug-in DLL loaded into them: this test
// program is the host (it exports the host functions and runs a Host on a
// thread of its own) and drives it like a user would, through its menus.
#include "mailhost/drive.h"
#include "mailhost/host_api.h"
#include "mailhost/tests/fake_files.h"
#include "tests/files_support.h"
#include "tests/uidriver/uidriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace mailhost;
using namespace satchel_test;
using satchel::uidriver::WaitUntil;

namespace {

std::string WindowsPath(std::string p) {
  for (char &c : p)
    if (c == '/')
      c = '\\';
  return "Z:" + p;
}
std::string TestDll(const char *name) { return BuildDir() + "\\mailhost\\tests\\" + name; }

// A plug-in folder with the fake plug-in, one that refuses to load, one that
// is no DLL at all, a library with no plug-in callbacks and a file that is no
// plug-in; and an empty store.
struct Folders {
  TempFolder root;
  std::string plugins = root / "PlugIns", store = root / "Store";
  Folders() {
    CreateDirectoryA(plugins.c_str(), nullptr);
    CopyFileA(TestDll("fake_plugin.dll").c_str(), (plugins + "\\fake_plugin.dll").c_str(), FALSE);
    CopyFileA(TestDll("refusing_plugin.dll").c_str(), (plugins + "\\refusing_plugin.dll").c_str(), FALSE);
    CopyFileA(TestDll("helper_library.dll").c_str(), (plugins + "\\helper_library.dll").c_str(), FALSE);
    std::ofstream(plugins + "\\broken.dll") << "not a library";
    std::ofstream(plugins + "\\readme.txt") << "not a plug-in";
  }
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(plugins + "\\fake_plugin.dll.calls"));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.substr(0, line.find('\r')));
    return lines;
  }
  bool Called(const std::string &line) const {
    for (const std::string &l : Calls())
      if (l == line)
        return true;
    return false;
  }
};

HostOptions Options(const Folders &f) {
  HostOptions o;
  o.pluginDir = f.plugins;
  o.storeDir = f.store;
  o.showCommand = SW_SHOWNOACTIVATE;
  return o;
}

std::string Hex(HWND w) {
  char buf[16];
  wsprintfA(buf, "%08X", unsigned(reinterpret_cast<UINT_PTR>(w)));
  return buf;
}

std::string MenuText(HMENU menu, int pos) {
  char buf[256] = {};
  GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

int CountItems(HMENU menu, const std::string &text) {
  int n = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    if (PlainMenuText(MenuText(menu, i)) == text)
      ++n;
  return n;
}

std::string ListText(HWND list, int row, int column) {
  char buf[512] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  SendMessageA(list, LVM_GETITEMTEXTA, row, LPARAM(&item));
  return buf;
}

HWND FindChild(HWND parent, const char *cls) { return FindWindowExA(parent, nullptr, cls, nullptr); }

BOOL CALLBACK NoteMessageBox(HWND w, LPARAM found) {
  DWORD pid;
  GetWindowThreadProcessId(w, &pid);
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0)
    *reinterpret_cast<bool *>(found) = true;
  return TRUE;
}

// Any message box this process shows.
bool MessageBoxShown() {
  bool found = false;
  EnumWindows(NoteMessageBox, LPARAM(&found));
  return found;
}

} // namespace

TEST(MailHost, ExportsEveryHostFunctionByBareName) {
  std::istringstream names(ReadFile(WindowsPath(Env("SATCHEL_SRC")) + "\\mailhost\\bka_names.txt"));
  int count = 0;
  for (std::string n; std::getline(names, n);) {
    if (!n.empty() && n.back() == '\r')
      n.pop_back();
    EXPECT_NE(GetProcAddress(GetModuleHandleA(nullptr), n.c_str()), nullptr) << n;
    ++count;
  }
  EXPECT_EQ(count, 54);
}

TEST(MailHost, LoadsEachDllOfThePlugInFolderAndSkipsTheOnesThatFail) {
  Folders f;
  {
    HostThread t(Options(f));
    ASSERT_TRUE(t.started());
    const Host &h = t.host();

    ASSERT_EQ(h.PlugIns().size(), 1u);
    const PlugIn &p = h.PlugIns()[0];
    EXPECT_EQ(p.fileName(), "fake_plugin.dll");
    EXPECT_EQ(p.info().name, fake::kName);
    EXPECT_EQ(p.info().author, fake::kAuthor);
    EXPECT_EQ(p.info().version, fake::kVersion);
    EXPECT_EQ(p.info().description, fake::kDescription);
    // Callbacks the DLL lacks are skipped, the others bound.
    EXPECT_NE(p.calls().OnMenuInit, nullptr);
    EXPECT_NE(p.calls().OnPlugInSetup, nullptr);

    ASSERT_EQ(h.Failures().size(), 2u);
    EXPECT_EQ(h.Failures()[0].path, f.plugins + "\\broken.dll");
    EXPECT_EQ(h.Failures()[1].path, f.plugins + "\\refusing_plugin.dll");
    // Told in the main window's status bar, not in a box.
    HWND status = FindChild(t.MainWindow(), STATUSCLASSNAMEA);
    char text[512] = {};
    GetWindowTextA(status, text, sizeof text);
    EXPECT_EQ(text, h.StatusText());
    EXPECT_NE(std::string(text).find("Could not load broken.dll."), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("Could not load refusing_plugin.dll."), std::string::npos) << text;
    EXPECT_FALSE(MessageBoxShown());

    // The main window's menu was shown to the plug-in with the main type.
    EXPECT_TRUE(f.Called("menu " + std::to_string(kMainWindowType) + " " + Hex(t.MainWindow())));
    EXPECT_EQ(t.Stop(), 0);
  }
  // Information first, then start; exit last, and the library is gone.
  std::vector<std::string> calls = f.Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "info");
  EXPECT_EQ(calls[1], "start");
  EXPECT_EQ(calls.back(), "exit");
  EXPECT_EQ(GetModuleHandleA((f.plugins + "\\fake_plugin.dll").c_str()), nullptr);
}

TEST(MailHost, ComposeMenuCommandAttachesIntoTheStore) {
  Folders f;
  HostThread t(Options(f));
  ASSERT_TRUE(t.started());
  HWND compose = t.OpenCompose(100, 50);
  ASSERT_NE(compose, nullptr);
  EXPECT_EQ(FindComposeWindow(), compose);
  RECT r;
  GetWindowRect(compose, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_TRUE(f.Called("compose " + Hex(compose) + " 0"));

  // Four sub-menus, the fourth "Tools", where the plug-in put its item with
  // the identifier the host handed out for type 10.
  HMENU bar = GetMenu(compose);
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  EXPECT_EQ(PlainMenuText(MenuText(bar, 3)), "Tools");
  HMENU tools = GetSubMenu(bar, 3);
  EXPECT_EQ(CountItems(tools, fake::kMenuItem), 1);
  UINT id = FindMenuCommand(compose, fake::kMenuItem);
  const RegisteredCommand *cmd = FindCommand(int(id));
  ASSERT_NE(cmd, nullptr);
  EXPECT_EQ(cmd->windowType, kComposeWindowType);
  EXPECT_EQ(cmd->description, fake::kCommandDescription);
  EXPECT_EQ(FindMenuCommand(t.MainWindow(), fake::kMenuItem), 0u);

  // The default message is there to be sent.
  HWND to = GetDlgItem(compose, 10);
  char text[256] = {};
  GetWindowTextA(to, text, sizeof text);
  EXPECT_STRNE(text, "");

  ASSERT_TRUE(PickMenuItem(compose, fake::kMenuItem));
  const std::vector<fake::File> files = fake::Files();
  ASSERT_TRUE(WaitUntil([&] { return t.host().Attachments(compose).size() == files.size(); }));
  EXPECT_TRUE(f.Called("command " + Hex(compose)));

  std::vector<StoredAttachment> got = t.host().Attachments(compose);
  HWND list = FindChild(compose, WC_LISTVIEWA);
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), LRESULT(files.size()));
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].name);
    EXPECT_EQ(got[i].fileName, files[i].name);
    EXPECT_EQ(got[i].mimeType, files[i].mime);
    EXPECT_EQ(got[i].bytes, files[i].bytes);
    // The host's own copy outlives the plug-in's file.
    EXPECT_EQ(ReadFile(got[i].storedPath), files[i].bytes);
    EXPECT_FALSE(Exists(std::string(temp) + files[i].name));
    EXPECT_EQ(ListText(list, int(i), 0), files[i].name);
    EXPECT_EQ(ListText(list, int(i), 1), std::to_string(files[i].bytes.size()));
    EXPECT_EQ(ListText(list, int(i), 2), files[i].mime);
  }
  // The host accepted each one, and refused the file that was not there.
  EXPECT_TRUE(WaitUntil([&] { return f.Called("gone -1"); }));
  EXPECT_TRUE(f.Called("attached 0"));
  EXPECT_FALSE(f.Called("attached -1"));
  EXPECT_EQ(t.host().Attachments(compose).size(), files.size());

  std::string eml = ReadFile(t.host().MessagePath(compose));
  EXPECT_EQ(eml.find("Content-Type: multipart/mixed;"), eml.find("Content-Type:"));
  EXPECT_EQ(eml.find("X-Injected"), std::string::npos);
  std::string log = ReadFile(f.store + "\\attachments.log");
  EXPECT_NE(log.find("1\treport.bin\t3000\tapplication/octet-stream\t"), std::string::npos) << log;
}

TEST(MailHost, EachMenuBuildIsShownToThePlugInsAgain) {
  Folders f;
  HostThread t(Options(f));
  ASSERT_TRUE(t.started());
  HWND compose = t.OpenCompose();
  UINT first = FindMenuCommand(compose, fake::kMenuItem);
  size_t registered = Log().commands.size();

  t.RebuildMenu(compose);
  // A fresh menu bar: the plug-in's item once, under a new identifier.
  EXPECT_EQ(CountItems(GetSubMenu(GetMenu(compose), 3), fake::kMenuItem), 1);
  UINT second = FindMenuCommand(compose, fake::kMenuItem);
  EXPECT_EQ(Log().commands.size(), registered + 1);
  EXPECT_NE(second, first);

  ASSERT_TRUE(PickMenuItem(compose, fake::kMenuItem));
  EXPECT_TRUE(WaitUntil([&] { return !t.host().Attachments(compose).empty(); }));
}

TEST(MailHost, PlugInSetupIsCalledWithTheWindowWhoseMenuItIs) {
  Folders f;
  HostThread t(Options(f));
  ASSERT_TRUE(t.started());
  std::string item = std::string(kSetupItemPrefix) + fake::kName + "...";
  ASSERT_TRUE(PickMenuItem(t.MainWindow(), item));
  EXPECT_TRUE(WaitUntil([&] { return f.Called("setup " + Hex(t.MainWindow())); }));

  HWND compose = t.OpenCompose();
  ASSERT_TRUE(PickMenuItem(compose, item));
  EXPECT_TRUE(WaitUntil([&] { return f.Called("setup " + Hex(compose)); }));
}

TEST(MailHost, NewMessageFromTheMainMenuOpensAComposeWindow) {
  Folders f;
  HostThread t(Options(f));
  ASSERT_TRUE(t.started());
  ASSERT_TRUE(PickMenuItem(t.MainWindow(), kNewMessageItem));
  ASSERT_TRUE(WaitUntil([&] { return t.host().ComposeWindows().size() == 1; }));
  HWND compose = t.host().ComposeWindows()[0];
  EXPECT_EQ(FindComposeWindow(), compose);
  EXPECT_NE(FindMenuCommand(compose, fake::kMenuItem), 0u);
}
