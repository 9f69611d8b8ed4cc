// The settings file over real INI files under Wine.
#include "plugin/settings.h"

#include <gtest/gtest.h>

#include "base/handle.h"
#include "tests/files_support.h"

using satchel::SettingsWriteError;
using satchel::TSettingsFile;
using satchel_test::ReadFile;
using satchel_test::TempFolder;
using satchel_test::WriteFile;

namespace {

struct IntCase {
  const char *stored;
  int expected; // with default 77
};

const IntCase kIntCases[] = {
    {"5", 5},
    {"-1", -1},
    {"+12", 12},
    {"007", 7},
    {"0x10", 16},
    {"0X1f", 31},
    {"$ff", 255},
    {"-$10", -16},
    {"0x80000000", INT32_MIN},
    {"$FFFFFFFF", -1},
    {"0x100000000", 77}, // a ninth hexadecimal digit
    {"0x", 77},          // too short to be the hex form, and not decimal
    {"$", 77},
    {"2147483647", INT32_MAX},
    {"-2147483648", INT32_MIN},
    {"2147483648", 77},
    {"-2147483649", 77},
    {"99999999999999999999", 77},
    {"yes", 77},
    {"12abc", 77},
    {"1 ", 1}, // the profile functions drop trailing blanks
    {"+-1", 77},
    {"-", 77},
};

TEST(Settings, ReadsIntegersWithTheirConversionRules) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  std::string text = "[Options]\r\n";
  for (std::size_t i = 0; i < std::size(kIntCases); ++i)
    text += "K" + std::to_string(i) + "=" + kIntCases[i].stored + "\r\n";
  text += "Empty=\r\n";
  WriteFile(ini, text);
  TSettingsFile s(ini.c_str());
  for (std::size_t i = 0; i < std::size(kIntCases); ++i)
    EXPECT_EQ(s.ReadInteger("Options", ("K" + std::to_string(i)).c_str(), 77), kIntCases[i].expected)
        << "stored \"" << kIntCases[i].stored << "\"";
  EXPECT_EQ(s.ReadInteger("Options", "Empty", 77), 77);
  EXPECT_EQ(s.ReadInteger("Options", "Missing", -1), -1);
  EXPECT_EQ(s.ReadInteger("NoSection", "K0", 3), 3);
  EXPECT_EQ(TSettingsFile((dir / "none.ini").c_str()).ReadInteger("Options", "K0", 4), 4);
}

TEST(Settings, ReadsBooleansAsNonZeroIntegers) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  WriteFile(ini, "[Options]\r\nTwo=2\r\nMinus=-1\r\nHex=0x10\r\nZero=0\r\nZeros=00\r\nYes=yes\r\nTrue=true\r\n");
  TSettingsFile s(ini.c_str());
  for (const char *key : {"Two", "Minus", "Hex"})
    EXPECT_TRUE(s.ReadBool("Options", key, false)) << key;
  for (const char *key : {"Zero", "Zeros"})
    EXPECT_FALSE(s.ReadBool("Options", key, true)) << key;
  for (bool def : {false, true}) {
    EXPECT_EQ(s.ReadBool("Options", "Yes", def), def);
    EXPECT_EQ(s.ReadBool("Options", "True", def), def);
    EXPECT_EQ(s.ReadBool("Options", "Missing", def), def);
  }
}

TEST(Settings, WritesDecimalAndOneOrZeroCreatingTheFile) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  TSettingsFile s(ini.c_str());
  s.WriteInteger("Options", "ArchiveType", 1);
  s.WriteInteger("Options", "Negative", -25);
  s.WriteBool("FolderCompression", "UseAsFileName", true);
  s.WriteBool("FolderCompression", "IncludeFolderName", false);
  std::string text = ReadFile(ini);
  EXPECT_NE(text.find("[Options]\r\nArchiveType=1\r\nNegative=-25\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[FolderCompression]\r\nUseAsFileName=1\r\nIncludeFolderName=0\r\n"), std::string::npos) << text;
  // What was written reads back; a second object sees it (nothing cached).
  TSettingsFile again(ini.c_str());
  EXPECT_EQ(again.ReadInteger("Options", "Negative", 0), -25);
  EXPECT_TRUE(again.ReadBool("FolderCompression", "UseAsFileName", false));
}

TEST(Settings, RefusedWriteNamesTheFileAndKeepsEarlierWrites) {
  TempFolder dir;
  std::string ini = dir / "Satchel.ini";
  TSettingsFile s(ini.c_str());
  s.WriteInteger("Options", "ArchiveType", 2);
  {
    // The tests run as root, for whom a read-only file is still writable; a
    // file held open without sharing is refused to everyone.
    satchel::UniqueFile lock(CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    try {
      s.WriteBool("Options", "IsSfx", true);
      FAIL() << "the write into a locked file was not refused";
    } catch (const SettingsWriteError &e) {
      EXPECT_EQ(std::string(e.what()), ini + " に書き込めません");
    }
  }
  EXPECT_EQ(s.ReadInteger("Options", "ArchiveType", -1), 2);
  EXPECT_EQ(ReadFile(ini).find("IsSfx"), std::string::npos);

  // A folder that does not exist is refused the same way.
  std::string nowhere = dir / "missing\\Satchel.ini";
  EXPECT_THROW(TSettingsFile(nowhere.c_str()).WriteInteger("Options", "ArchiveType", 1), SettingsWriteError);
}

TEST(Settings, PathStopsAtItsBuffer) {
  std::string longPath(300, 'a');
  EXPECT_EQ(TSettingsFile(longPath.c_str()).Path().size(), 263u);
  EXPECT_EQ(TSettingsFile("C:\\x.ini").Path(), "C:\\x.ini");
}

} // namespace
