// Drives the self-extractor's window from another process, as a person
// would: the program is started, its controls are found and clicked, the
// overwrite questions are answered, and the files it leaves are checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "sfx/resource.h"

namespace {

std::string WinPath(const char *var, const std::string &rest) {
  std::string p = std::string("Z:") + std::getenv(var) + rest;
  for (char &c : p)
    if (c == '/')
      c = '\\';
  return p;
}

std::string ReadFile(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return f ? s.str() : "<missing>";
}

void WriteFile(const std::string &path, const std::string &data) { std::ofstream(path, std::ios::binary) << data; }

// WM_GETTEXT, not GetWindowText: across processes the latter does not ask
// an edit control for its text.
std::string Text(HWND w) {
  char buf[1024] = "";
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buf;
}

// Polls until `found` answers a window or the time-out passes.
HWND WaitFor(const std::function<HWND()> &found, DWORD ms = 20000) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
    if (HWND w = found())
      return w;
  return nullptr;
}

// A visible top-level window of the process that has a control with `id`.
struct Search {
  DWORD pid;
  int id;
  HWND hit;
};

BOOL CALLBACK Visit(HWND w, LPARAM lp) {
  auto *s = reinterpret_cast<Search *>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == s->pid && IsWindowVisible(w) && GetDlgItem(w, s->id)) {
    s->hit = w;
    return FALSE;
  }
  return TRUE;
}

HWND WindowWith(DWORD pid, int id) {
  Search s{pid, id, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.hit;
}

void Click(HWND dlg, int id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

class SfxWindow : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "sfxui" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(dir_.c_str(), nullptr);
    program_ = dir_ + "\\pack.exe";
    WriteFile(program_, ReadFile(WinPath("SATCHEL_BUILD", "/dist/sfx32.dat")) +
                            ReadFile(WinPath("SATCHEL_BUILD", "/tests/sfx-ui/ui.zip")));
    target_ = dir_ + "\\pack";
    CreateDirectoryA(target_.c_str(), nullptr);
  }
  void TearDown() override {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 99);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    std::string cmd = "cmd /c rmdir /s /q \"" + dir_ + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
      WaitForSingleObject(pi.hProcess, 20000);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }

  HWND Start() {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + program_ + "\"";
    EXPECT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &process_));
    return WaitFor([&] { return WindowWith(process_.dwProcessId, IDC_FOLDER); });
  }

  // Waits for the overwrite question, checks it names `file` and answers it.
  void Answer(const std::string &file, int button) {
    HWND q = WaitFor([&] { return WindowWith(process_.dwProcessId, IDC_YESALL); });
    ASSERT_TRUE(q) << "no question about " << file;
    EXPECT_NE(Text(GetDlgItem(q, IDC_QUESTION)).find(target_ + "\\" + file), std::string::npos)
        << Text(GetDlgItem(q, IDC_QUESTION));
    Click(q, button);
    WaitFor([&] { return IsWindow(q) ? nullptr : q; });
  }

  // Waits until the window offers to close and answers the program's status line.
  std::string WaitDone(HWND main) {
    const char *close = GetACP() == 932 ? "閉じる" : "Close";
    EXPECT_TRUE(WaitFor([&] { return Text(GetDlgItem(main, IDCANCEL)) == close ? main : nullptr; }));
    return Text(GetDlgItem(main, IDC_STATUS));
  }

  DWORD Exit(HWND main) {
    Click(main, IDCANCEL);
    DWORD code = 99;
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 20000), WAIT_OBJECT_0);
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  std::string dir_, program_, target_;
  PROCESS_INFORMATION process_ = {};
};

TEST_F(SfxWindow, ExtractsIntoTheProposedFolderAskingBeforeReplacing) {
  WriteFile(target_ + "\\keep.txt", "mine");
  WriteFile(target_ + "\\replace.txt", "mine");
  HWND main = Start();
  ASSERT_TRUE(main);
  // The proposal: a folder beside the program, named after it.
  EXPECT_EQ(Text(GetDlgItem(main, IDC_FOLDER)), target_);
  EXPECT_NE(Text(main).find("pack.exe"), std::string::npos) << Text(main);
  const char *extract = GetACP() == 932 ? "展開(&E)" : "&Extract";
  EXPECT_EQ(Text(GetDlgItem(main, IDOK)), extract);
  Click(main, IDOK);
  Answer("keep.txt", IDNO);
  Answer("replace.txt", IDYES);
  std::string status = WaitDone(main);
  EXPECT_NE(status.find(target_), std::string::npos) << status;
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDOK))) << "open folder offered";
  EXPECT_EQ(Exit(main), 0u);

  EXPECT_EQ(ReadFile(target_ + "\\keep.txt"), "mine");
  std::string replaced = ReadFile(target_ + "\\replace.txt");
  EXPECT_EQ(replaced.rfind("from the archive: replace.txt", 0), 0u) << replaced.substr(0, 40);
  EXPECT_EQ(ReadFile(target_ + "\\docs\\new.txt").size(), 18 + 50 * std::string("docs/new.txt").size());
}

TEST_F(SfxWindow, CancelInTheQuestionStopsBeforeTheRest) {
  WriteFile(target_ + "\\keep.txt", "mine");
  HWND main = Start();
  ASSERT_TRUE(main);
  Click(main, IDOK);
  Answer("keep.txt", IDCANCEL);
  std::string status = WaitDone(main);
  EXPECT_EQ(status, GetACP() == 932 ? "中止しました。" : "Cancelled.");
  EXPECT_EQ(Exit(main), 4u);
  EXPECT_EQ(ReadFile(target_ + "\\keep.txt"), "mine");
  EXPECT_EQ(GetFileAttributesA((target_ + "\\replace.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SfxWindow, YesToAllReplacesWithoutAskingAgainInAnotherFolder) {
  std::string other = dir_ + "\\elsewhere";
  CreateDirectoryA(other.c_str(), nullptr);
  WriteFile(other + "\\keep.txt", "mine");
  WriteFile(other + "\\replace.txt", "mine");
  HWND main = Start();
  ASSERT_TRUE(main);
  SendMessageA(GetDlgItem(main, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str())); // as if typed
  Click(main, IDOK);
  target_ = other;
  Answer("keep.txt", IDC_YESALL);
  WaitDone(main);
  EXPECT_EQ(Exit(main), 0u);
  EXPECT_EQ(ReadFile(other + "\\keep.txt").rfind("from the archive", 0), 0u);
  EXPECT_EQ(ReadFile(other + "\\replace.txt").rfind("from the archive", 0), 0u);
  EXPECT_EQ(GetFileAttributesA((dir_ + "\\pack\\keep.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
