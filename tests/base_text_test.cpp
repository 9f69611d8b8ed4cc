// Path terms and line breaks under code page 932 (Shift-JIS), where 0x5C can
// be the second byte of a character, and under 1252, where it cannot.
#include "base/text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

using namespace satchel;

namespace {
const bool kSjis = GetACP() == 932;
// 表 is 95 5C in Shift-JIS: its second byte looks like "\".
const std::string kHyo = "\x95\x5C";
} // namespace

TEST(CodePage, IsTheOneTheLauncherChose) {
  const char *want = getenv("SATCHEL_CP");
  ASSERT_NE(want, nullptr);
  EXPECT_EQ(GetACP(), unsigned(atoi(want)));
}

TEST(PathTerms, FileAndFolderParts) {
  EXPECT_EQ(FileNamePart("D:\\data\\plan.txt"), "plan.txt");
  EXPECT_EQ(FolderPart("D:\\data\\plan.txt"), "D:\\data\\");
  EXPECT_EQ(FileNamePart("D:plan.txt"), "plan.txt");
  EXPECT_EQ(FolderPart("D:plan.txt"), "D:");
  EXPECT_EQ(FileNamePart("D:\\data\\"), "");
  EXPECT_EQ(FolderPart("plan.txt"), "");
  EXPECT_EQ(FileNamePart("plan.txt"), "plan.txt");
}

TEST(PathTerms, ReplaceExt) {
  EXPECT_EQ(ReplaceExt("report.doc", ".zip"), "report.zip");
  EXPECT_EQ(ReplaceExt("archive.tar.gz", ".zip"), "archive.tar.zip");
  EXPECT_EQ(ReplaceExt("readme", ".zip"), "readme.zip");
  EXPECT_EQ(ReplaceExt("C:\\Mail.dir\\notes", ".ini"), "C:\\Mail.dir\\notes.ini");
  EXPECT_EQ(ReplaceExt("", ".zip"), ".zip");
}

TEST(PathTerms, DoubleByteSecondByteIsNotASeparator) {
  std::string folder = "C:\\tmp\\" + kHyo; // a folder named 表
  if (kSjis) {
    EXPECT_EQ(FileNamePart(folder), kHyo);
    EXPECT_FALSE(EndsWithBackslash(folder));
    EXPECT_EQ(ReplaceExt(folder + ".txt", ".zip"), folder + ".zip");
    EXPECT_EQ(ReplaceExt(kHyo, ".zip"), kHyo + ".zip");
  } else {
    EXPECT_EQ(FileNamePart(folder), "");
    EXPECT_TRUE(EndsWithBackslash(folder));
  }
  EXPECT_TRUE(EndsWithBackslash("D:\\"));
}

TEST(LineBreaks, NormalisedToCrLf) {
  EXPECT_EQ(NormalizeLineBreaks("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(NormalizeLineBreaks("\n\n"), "\r\n\r\n");
  EXPECT_EQ(NormalizeLineBreaks("\r"), "\r\n");
  // A lead byte followed by 0x0A is one character under 932 ("\x81\x0A" is not
  // a valid pair in practice, but the scanner must not split it).
  if (kSjis) {
    EXPECT_EQ(NormalizeLineBreaks("\x81\x0A"), "\x81\x0A");
  }
}
