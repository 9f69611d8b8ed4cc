// Names: how a path becomes a stored name, byte for byte in the ANSI code
// page, and a real archive of names whose second bytes are 0x5C under 932.
#include "zip32/names.h"
#include "zip32/zip32api.h"

#include "tests/files_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace satchel_test;
using zip32::StoredName;

namespace {

bool Japanese() { return GetACP() == 932; }

TEST(StoredNames, DrivesSharesAndDotsAreRemoved) {
  EXPECT_EQ(StoredName("C:\\mail\\a.txt", false), "mail/a.txt");
  EXPECT_EQ(StoredName("\\\\server\\share\\x\\y.txt", false), "x/y.txt");
  EXPECT_EQ(StoredName(".\\.\\a\\.\\b", false), "a/b");
  EXPECT_EQ(StoredName("..\\..\\etc\\passwd", false), "etc/passwd");
  EXPECT_EQ(StoredName("a\\sub\\..\\b.txt", false), "a/b.txt");
  EXPECT_EQ(StoredName("C:\\mail\\a.txt", true), "a.txt");
  EXPECT_EQ(StoredName("/abs/unix/style", false), "abs/unix/style");
  // A drive that surfaces once "." and ".." are gone is removed as well.
  EXPECT_EQ(StoredName("..\\C:\\x", false), "x");
  EXPECT_EQ(StoredName(".\\C:x", false), "x");
  EXPECT_EQ(StoredName("a\\C:x", true), "x");
  EXPECT_EQ(StoredName("a\\C:x", false), "a/C:x");
}

TEST(StoredNames, TrailBytesAreNotSeparators) {
  if (!Japanese())
    GTEST_SKIP() << "needs code page 932";
  // 表 is 95 5C and ソ is 83 5C in Shift-JIS.
  EXPECT_EQ(StoredName("C:\\ソフト\\表.txt", false), "ソフト/表.txt");
  EXPECT_EQ(StoredName("C:\\ソフト\\表", true), "表");
  EXPECT_EQ(std::string("表"), "\x95\x5c");
}

} // namespace
