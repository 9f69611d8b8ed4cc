// A host made without one host function lacks exactly that one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

TEST(MailHostVariant, LacksOnlyTheOmittedHostFunction) {
  std::string src = std::getenv("SATCHEL_SRC");
  std::ifstream names("Z:" + src + "/mailhost/bka_names.txt");
  ASSERT_TRUE(names);
  int present = 0, missing = 0;
  for (std::string n; std::getline(names, n);) {
    if (!n.empty() && n.back() == '\r')
      n.pop_back();
    bool found = GetProcAddress(GetModuleHandleA(nullptr), n.c_str()) != nullptr;
    EXPECT_EQ(found, n != MAILHOST_OMITTED) << n;
    (found ? present : missing)++;
  }
  EXPECT_EQ(present, 53);
  EXPECT_EQ(missing, 1);
}
