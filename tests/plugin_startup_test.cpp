// Start-up as the mail program meets it: this test program is the host (it
// exports the 54 host functions) and loads the real Satchel.dll.
#include "plugin/startup.h"
#include "tests/plugin_fixture.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace satchel_test;

namespace {

// A copy of the library, without any dot, whose path is 259 characters
// long: its settings path does not fit, so its start-up fails.
struct LibraryWithoutRoom : TempFolder {
  std::string lib;
  LibraryWithoutRoom() {
    std::string dir = path();
    while (dir.size() + 1 + 100 + 8 < 259) {
      dir += "\\" + std::string(100, 'd');
      CreateDirectoryA(dir.c_str(), nullptr);
    }
    lib = dir + "\\" + std::string(259 - dir.size() - 1, 's');
    CopyFileA(DistFile("Satchel.dll").c_str(), lib.c_str(), FALSE);
  }
  // A trailing dot keeps LoadLibrary from appending ".dll".
  std::string loadName() const { return lib + "."; }
  // Whether any module of this process comes from this folder, whatever
  // name the loader recorded for it.
  bool anyLoaded() const {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snap == INVALID_HANDLE_VALUE)
      return true;
    MODULEENTRY32 me;
    me.dwSize = sizeof me;
    bool found = false;
    for (BOOL ok = Module32First(snap, &me); ok && !found; ok = Module32Next(snap, &me))
      found = lstrcmpiA(std::string(me.szExePath).substr(0, path().size()).c_str(), path().c_str()) == 0;
    CloseHandle(snap);
    return found;
  }
};

// Whether the address lies in any module mapped into this process.
bool InSomeModule(const void *address) {
  HMODULE m = nullptr;
  return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &m) &&
         m;
}

} // namespace

TEST(SettingsPath, OnlyTheFileExtensionIsReplaced) {
  char buf[satchel::kSettingsPathSize];
  ASSERT_TRUE(satchel::MakeSettingsPath("D:\\Mail.Tools\\PlugIns\\Satchel.dll", buf));
  EXPECT_STREQ(buf, "D:\\Mail.Tools\\PlugIns\\Satchel.ini");
  ASSERT_TRUE(satchel::MakeSettingsPath("D:\\Mail.dir\\PlugIns\\Satchel", buf));
  EXPECT_STREQ(buf, "D:\\Mail.ini");
  ASSERT_TRUE(satchel::MakeSettingsPath("D:\\Mail\\PlugIns\\Satchel", buf));
  EXPECT_STREQ(buf, "D:\\Mail\\PlugIns\\Satchel.ini");
  // 258 characters without a dot fill the buffer exactly; 259 do not fit.
  std::string fits = "D:\\" + std::string(255, 'a');
  ASSERT_TRUE(satchel::MakeSettingsPath(fits.c_str(), buf));
  EXPECT_EQ(std::strlen(buf), 262u);
  std::memset(buf, 'z', sizeof buf);
  EXPECT_FALSE(satchel::MakeSettingsPath((fits + "a").c_str(), buf));
  EXPECT_EQ(buf[0], 'z'); // refused without writing
}

TEST(SettingsPath, ALibraryPathWithoutRoomIsRefusedWithAMessage) {
  LibraryWithoutRoom top;
  ASSERT_EQ(top.path().find('.'), std::string::npos);
  ASSERT_EQ(top.lib.size(), 259u);
  ASSERT_TRUE(Exists(top.lib));
  MessageBoxAnswerer watch("エラー", "OK");
  HMODULE m = LoadLibraryA(top.loadName().c_str());
  EXPECT_EQ(m, nullptr);
  if (m)
    FreeLibrary(m);
  auto box = watch.Wait();
  ASSERT_TRUE(box.found) << "no start-up failure message";
  EXPECT_EQ(box.text, "Initialization of Satchel failed.");
}

// The box must not hold up the mail program's LoadLibrary, and nothing of
// the refused library may stay behind while it shows: a second attempt to
// load the plug-in meanwhile runs the start-up again and is refused again,
// rather than handing out a library whose start-up failed.
TEST(StartUpFailure, LoadReturnsAtOnceAndTheBoxOutlivesTheLibrary) {
  LibraryWithoutRoom top;
  ASSERT_TRUE(Exists(top.lib));
  std::atomic<HWND> shown{nullptr};
  std::atomic<bool> answer{false};
  SeenBox seen;
  // Finds the box, and answers it only when told (or after a long wait, so
  // a box shown inside the load cannot hang the test).
  std::thread watcher([&] {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    HWND box = nullptr;
    while (!box && std::chrono::steady_clock::now() < until) {
      box = satchel::uidriver::WaitForWindow("エラー", "", 0);
      Sleep(10);
    }
    if (!box)
      return;
    seen.found = true;
    seen.text = satchel::uidriver::ReadMessageBox(box).text;
    shown = box;
    while (!answer && std::chrono::steady_clock::now() < until)
      Sleep(10);
    satchel::uidriver::Answer(box, "OK");
  });
  auto start = std::chrono::steady_clock::now();
  SetLastError(0);
  HMODULE m = LoadLibraryA(top.loadName().c_str());
  DWORD error = GetLastError();
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(m, nullptr);
  if (m)
    FreeLibrary(m);
  EXPECT_EQ(error, DWORD(ERROR_DLL_INIT_FAILED));
  EXPECT_LT(took, std::chrono::seconds(10)) << "LoadLibrary waited for the box";

  for (int i = 0; i < 1000 && !shown; ++i)
    Sleep(10);
  HWND box = shown;
  ASSERT_NE(box, nullptr) << "no start-up failure message";
  EXPECT_FALSE(top.anyLoaded()) << "the refused library is still mapped while its box shows";
  DWORD tid = GetWindowThreadProcessId(box, nullptr);
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, tid);
  {
    MessageBoxAnswerer again("エラー", "OK");
    HMODULE second = LoadLibraryA(top.loadName().c_str());
    EXPECT_EQ(second, nullptr) << "a second load got the library whose start-up failed";
    if (second)
      FreeLibrary(second);
    answer = true;
    watcher.join();
    EXPECT_TRUE(again.Wait().found);
  }
  EXPECT_EQ(seen.text, "Initialization of Satchel failed.");
  // The box's thread ends by itself once answered, and leaves nothing.
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_FALSE(top.anyLoaded());
}

// A refused load leaves no memory behind that can run code and lies outside
// every module: the box's thread is not run from code written at run time.
TEST(StartUpFailure, LeavesNoExecutablePagesOutsideModules) {
  auto privateExecutable = [] {
    std::vector<const void *> found;
    MEMORY_BASIC_INFORMATION mbi;
    for (const char *p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;
         p = static_cast<const char *>(mbi.BaseAddress) + mbi.RegionSize) {
      const DWORD exec = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
      if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE && (mbi.Protect & exec) && !InSomeModule(mbi.BaseAddress))
        found.push_back(mbi.BaseAddress);
      if (static_cast<const char *>(mbi.BaseAddress) + mbi.RegionSize < p)
        break;
    }
    return found;
  };
  auto before = privateExecutable();
  LibraryWithoutRoom top;
  MessageBoxAnswerer watch("エラー", "OK");
  EXPECT_EQ(LoadLibraryA(top.loadName().c_str()), nullptr);
  ASSERT_TRUE(watch.Wait().found);
  for (const void *p : privateExecutable())
    EXPECT_TRUE(std::find(before.begin(), before.end(), p) != before.end()) << "new executable memory at " << p;
}
