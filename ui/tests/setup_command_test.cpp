// The setup command as the user meets it: the options dialog under Wine,
// driven through its window, over a real settings file.
#include "plugin/setup_command.h"

#include <gtest/gtest.h>

#include "base/handle.h"
#include "tests/files_support.h"
#include "tests/uidriver/uidriver.h"

namespace ud = satchel::uidriver;
using satchel_test::ReadFile;
using satchel_test::TempFolder;
using satchel_test::WriteFile;

namespace {

const char kCaption[] = "Options for folder compression";
const char kInclude[] = "&Include the selected folder name";
const char kExclude[] = "&Exclude the selected folder name";
const char kUseName[] = "Use folder name as the &archive file name";

// The command running on a thread of its own, and its window.
struct SetupRun {
  explicit SetupRun(const std::string &ini)
      : path(ini), result(ud::RunOnThread([this] { return satchel::RunPlugInSetup(path.c_str()); })) {
    form = ud::WaitForWindow(kCaption, "TBkArcOptionForm");
  }
  ud::ControlInfo Get(const char *text) const { return ud::Describe(ud::FindControl(form, text)); }
  std::string path;
  std::future<int> result;
  HWND form = nullptr;
};

TEST(SetupCommand, WithoutAFileExcludeIsSelectedAndOkWritesBothKeys) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  SetupRun run(ini);
  ASSERT_NE(run.form, nullptr);
  EXPECT_FALSE(run.Get(kInclude).checked);
  EXPECT_TRUE(run.Get(kExclude).checked);
  EXPECT_TRUE(run.Get(kUseName).checked);
  EXPECT_TRUE(run.Get(kUseName).enabled);
  RECT r;
  GetWindowRect(run.form, &r);
  EXPECT_EQ(r.right - r.left, 314);
  EXPECT_EQ(r.bottom - r.top, 162);
  EXPECT_EQ(r.left + r.right, GetSystemMetrics(SM_CXSCREEN) - (GetSystemMetrics(SM_CXSCREEN) - 314) % 2);
  ud::ControlInfo ok = run.Get("&Ok");
  EXPECT_EQ(ok.rect.left, 64);
  EXPECT_EQ(ok.rect.top, 96);
  EXPECT_TRUE(ud::Click(ok.hwnd));
  EXPECT_EQ(run.result.get(), 1);
  EXPECT_EQ(ReadFile(ini), "[FolderCompression]\r\nUseAsFileName=1\r\nIncludeFolderName=0\r\n");
}

TEST(SetupCommand, StoredIncludeDisablesTheBoxAndTogglingKeepsItsTick) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  WriteFile(ini, "[FolderCompression]\r\nUseAsFileName=0\r\nIncludeFolderName=1\r\n");
  SetupRun run(ini);
  ASSERT_NE(run.form, nullptr);
  EXPECT_TRUE(run.Get(kInclude).checked);
  EXPECT_FALSE(run.Get(kExclude).checked);
  EXPECT_FALSE(run.Get(kUseName).checked);
  EXPECT_FALSE(run.Get(kUseName).enabled);
  EXPECT_FALSE(ud::Click(run.Get(kUseName).hwnd)) << "a disabled box cannot be clicked";

  ud::Click(run.Get(kExclude).hwnd);
  EXPECT_TRUE(run.Get(kUseName).enabled);
  EXPECT_FALSE(run.Get(kInclude).checked);
  ud::SetChecked(run.Get(kUseName).hwnd, true);
  ud::Click(run.Get(kInclude).hwnd);
  EXPECT_FALSE(run.Get(kUseName).enabled);
  EXPECT_TRUE(run.Get(kUseName).checked) << "disabling keeps the tick";
  // OK with Include and the disabled box ticked writes both as they stand.
  ud::Click(run.Get("&Ok").hwnd);
  EXPECT_EQ(run.result.get(), 1);
  EXPECT_EQ(ReadFile(ini), "[FolderCompression]\r\nUseAsFileName=1\r\nIncludeFolderName=1\r\n");
}

TEST(SetupCommand, CancelEscAndTheCloseBoxWriteNothing) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  const std::string stored = "[Options]\r\nArchiveType=3\r\n[FolderCompression]\r\nUseAsFileName=yes\r\n";
  WriteFile(ini, stored);
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    SetupRun run(ini);
    ASSERT_NE(run.form, nullptr);
    EXPECT_TRUE(run.Get(kUseName).checked) << "\"yes\" is no number: the default";
    ud::Click(run.Get(kInclude).hwnd); // a change that must not be saved
    if (way == 0)
      ud::Click(run.Get("&Cancel").hwnd);
    else if (way == 1)
      ud::PressKey(run.form, VK_ESCAPE);
    else
      ud::CloseBox(run.form);
    EXPECT_EQ(run.result.get(), 1);
    EXPECT_EQ(ReadFile(ini), stored);
  }
}

TEST(SetupCommand, EnterPressesOk) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  SetupRun run(ini);
  ASSERT_NE(run.form, nullptr);
  ud::PressKey(run.form, VK_RETURN);
  EXPECT_EQ(run.result.get(), 1);
  EXPECT_NE(ReadFile(ini).find("UseAsFileName=1"), std::string::npos);
}

TEST(SetupCommand, RefusedWriteIsShownAndTheCommandEndsCleanly) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  WriteFile(ini, "[FolderCompression]\r\nUseAsFileName=0\r\n");
  SetupRun run(ini);
  ASSERT_NE(run.form, nullptr);
  // Another program holds the file without sharing while the user presses OK.
  satchel::UniqueFile lock(CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  ud::Click(run.Get("&Ok").hwnd);
  HWND box = ud::WaitForWindow("エラー", "TMessageForm");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(IsWindow(run.form)) << "the dialog is destroyed before the error is shown";
  ud::MessageBoxInfo m = ud::ReadMessageBox(box);
  EXPECT_EQ(m.text, ini + " に書き込めません");
  EXPECT_EQ(m.buttons, std::vector<std::string>{"OK"});
  ud::Answer(box, "OK");
  EXPECT_EQ(run.result.get(), 0);
  lock.reset();
  EXPECT_EQ(ReadFile(ini), "[FolderCompression]\r\nUseAsFileName=0\r\n");
}

} // namespace
