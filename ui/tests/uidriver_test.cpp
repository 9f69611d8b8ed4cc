// The driver against the system's own message box: if these pass, a failure
// in a dialog test is the dialog's, not the driver's.
#include "tests/uidriver/uidriver.h"

#include <gtest/gtest.h>

namespace ud = satchel::uidriver;

TEST(UiDriver, ReadsAndAnswersASystemMessageBox) {
  auto run = ud::RunOnThread([] { return MessageBoxA(nullptr, "Disk full.", "Satchel", MB_OKCANCEL | MB_ICONERROR); });
  HWND box = ud::WaitForWindow("Satchel", "#32770");
  ASSERT_NE(box, nullptr);
  ud::MessageBoxInfo m = ud::ReadMessageBox(box);
  EXPECT_EQ(m.text, "Disk full.");
  EXPECT_TRUE(m.hasIcon);
  ASSERT_EQ(m.buttons.size(), 2u);
  EXPECT_EQ(m.buttons[0], "OK");
  EXPECT_TRUE(ud::Answer(box, m.buttons[1]));
  EXPECT_EQ(run.get(), IDCANCEL);
  EXPECT_FALSE(ud::Answer(box, "OK")) << "the box is gone";
}

TEST(UiDriver, WaitForWindowTimesOutWithoutAWindow) { EXPECT_EQ(ud::WaitForWindow("no such window", "", 50), nullptr); }
