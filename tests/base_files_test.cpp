// Files, folders, the error text and the handle owners of the base layer,
// under code page 932 (where 0x5C can be the second byte of a character)
// and under 1252.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/files.h"
#include "base/handle.h"
#include "base/text.h"

using namespace satchel;

namespace {
const bool kSjis = GetACP() == 932;
// 表 is 95 5C in Shift-JIS: its second byte looks like "\".
const std::string kHyo = "\x95\x5C";
// A name in the code page: 表 under 932, é under 1252.
const std::string kLocalName = kSjis ? kHyo + ".txt" : "\xE9.txt";
// ā is in neither code page.
const std::wstring kForeignName = L"\u0101.txt";

// A folder of the test's own below the temporary folder.
struct Scratch {
  std::string path = MakeUniqueFolder(TempFolderPath(), "satchel-base-");
  ~Scratch() { RemoveTree(path); }
  std::string operator/(const std::string &name) const { return JoinPath(path, name); }
};

bool Touch(const std::string &path) {
  UniqueFile f(CreateFileW(LongPath(AnsiToWide(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return bool(f);
}

// A file named ā in `folder`: only the UTF-16 functions can make it.
bool TouchForeign(const std::string &folder) {
  return bool(UniqueFile(CreateFileW((AnsiToWide(folder) + L"\\" + kForeignName).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr)));
}

std::vector<FolderEntry> Listed(const std::string &folder, DWORD *result = nullptr) {
  std::vector<FolderEntry> out;
  DWORD r = ForEachEntry(folder, [&](const FolderEntry &e) { out.push_back({{}, e.name, e.exact, e.attributes}); });
  if (result)
    *result = r;
  std::sort(out.begin(), out.end(), [](const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; });
  return out;
}
} // namespace

TEST(PathTerms, SeparatorsAndJoining) {
  EXPECT_TRUE(EndsWithSeparator("C:\\data\\"));
  EXPECT_TRUE(EndsWithSeparator("C:/data/"));
  EXPECT_FALSE(EndsWithSeparator("C:\\data"));
  EXPECT_FALSE(EndsWithSeparator(""));
  EXPECT_EQ(EndsWithSeparator("C:\\" + kHyo), !kSjis);
  EXPECT_EQ(JoinPath("C:\\data", "a.txt"), "C:\\data\\a.txt");
  EXPECT_EQ(JoinPath("C:\\data\\", "a.txt"), "C:\\data\\a.txt");
  EXPECT_EQ(JoinPath("C:/data/", "a.txt"), "C:/data/a.txt");
  EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
  // Under 932 the folder 表 does not end with a separator of its own.
  EXPECT_EQ(JoinPath(kHyo, "a"), kSjis ? kHyo + "\\a" : kHyo + "a");
}

// A full path names one place whatever the current folder; a rooted one
// merely ignores the folder a name is resolved against.
TEST(PathTerms, FullAndRootedPaths) {
  for (const char *full : {"C:\\x", "c:/x", "C:\\", "\\\\server\\share"}) {
    EXPECT_TRUE(IsFullPath(full)) << full;
    EXPECT_TRUE(IsRooted(full)) << full;
  }
  for (const char *rooted : {"C:x", "C:", "\\x", "/x"}) {
    EXPECT_FALSE(IsFullPath(rooted)) << rooted;
    EXPECT_TRUE(IsRooted(rooted)) << rooted;
  }
  for (const char *relative : {"", "x", "x\\y", ".\\x", "..\\x"}) {
    EXPECT_FALSE(IsFullPath(relative)) << relative;
    EXPECT_FALSE(IsRooted(relative)) << relative;
  }
  // Under 932 a lead byte is never a drive letter.
  EXPECT_EQ(IsRooted("\x95:"), !kSjis);
  EXPECT_EQ(IsFullPath("\x95:\\"), !kSjis);
}

TEST(PathTerms, SettingsPathReplacesTheLastExtension) {
  EXPECT_EQ(SettingsPathFor("D:\\Mail.Tools\\PlugIns\\Satchel.dll"), "D:\\Mail.Tools\\PlugIns\\Satchel.ini");
  EXPECT_EQ(SettingsPathFor("D:\\Mail\\PlugIns\\Satchel"), "D:\\Mail\\PlugIns\\Satchel.ini");
  // The last "." of the whole path, as the settings file was always found.
  EXPECT_EQ(SettingsPathFor("D:\\Mail.dir\\PlugIns\\Satchel"), "D:\\Mail.ini");
  EXPECT_EQ(SettingsPathFor("C:\\" + kHyo + "\\Satchel.dll"), "C:\\" + kHyo + "\\Satchel.ini");
}

TEST(Conversions, AnsiToUtf8FollowsTheCodePage) {
  EXPECT_EQ(AnsiToUtf8("plain"), "plain");
  EXPECT_EQ(AnsiToUtf8(""), "");
  if (kSjis)
    EXPECT_EQ(AnsiToUtf8(kHyo), "\xE8\xA1\xA8");
  else
    EXPECT_EQ(AnsiToUtf8("\xE9"), "\xC3\xA9");
}

TEST(SystemErrorText, HasNoClosingLineBreak) {
  std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_NE(text.back(), ' ');
  EXPECT_EQ(SystemErrorTextW(ERROR_FILE_NOT_FOUND).empty(), false);
  EXPECT_EQ(SystemErrorText(0x2000FFFF), ""); // no such code
}

TEST(Files, KindsOfName) {
  Scratch s;
  ASSERT_FALSE(s.path.empty());
  ASSERT_TRUE(Touch(s / kLocalName));
  EXPECT_TRUE(IsFile(s / kLocalName));
  EXPECT_FALSE(IsFolder(s / kLocalName));
  EXPECT_TRUE(Exists(s / kLocalName));
  EXPECT_TRUE(IsFolder(s.path));
  EXPECT_FALSE(IsFile(s.path));
  EXPECT_TRUE(Exists(s.path + "\\"));
  EXPECT_FALSE(Exists(s / "missing"));
  EXPECT_FALSE(IsFile(s / "missing"));
  EXPECT_FALSE(IsFolder(s / "missing"));
}

TEST(Files, WalkListsEveryEntryOnceAndSaysWhichNamesTheCodePageHolds) {
  Scratch s;
  ASSERT_TRUE(CreateFolder(s / "sub"));
  ASSERT_TRUE(Touch(s / kLocalName));
  ASSERT_TRUE(Touch(s / "sub\\inner.txt"));
  ASSERT_TRUE(TouchForeign(s.path));

  DWORD result = 1;
  std::vector<FolderEntry> found = Listed(s.path, &result);
  EXPECT_EQ(result, DWORD(ERROR_SUCCESS));
  ASSERT_EQ(found.size(), 3u);
  int exact = 0;
  for (const auto &e : found) {
    if (e.name == "sub")
      EXPECT_TRUE(e.IsFolder());
    else
      EXPECT_FALSE(e.IsFolder()) << e.name;
    exact += e.exact;
  }
  EXPECT_EQ(exact, 2); // all but ā
  EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](const FolderEntry &e) { return e.name == kLocalName; }));
  int matched = 0;
  EXPECT_EQ(ForEachMatch(s / "*.txt", [&](const FolderEntry &) { ++matched; }), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(matched, 2);
  EXPECT_EQ(ForEachMatch(s / "*.none", [&](const FolderEntry &) { ++matched; }), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(matched, 2);
  // A trailing separator changes nothing.
  EXPECT_EQ(Listed(s.path + "\\").size(), 3u);

  EXPECT_TRUE(Listed(s / "sub\\").size() == 1);
  ASSERT_TRUE(CreateFolder(s / "empty"));
  EXPECT_TRUE(Listed(s / "empty", &result).empty());
  EXPECT_EQ(result, DWORD(ERROR_SUCCESS));
  Listed(s / "missing", &result);
  EXPECT_NE(result, DWORD(ERROR_SUCCESS));
}

TEST(Files, CreateAndRemoveAWholeTree) {
  Scratch s;
  ASSERT_TRUE(CreateFolder(s / (kHyo + "\\b\\c\\")));
  EXPECT_TRUE(IsFolder(s / (kHyo + "\\b\\c")));
  EXPECT_TRUE(CreateFolder(s / (kHyo + "\\b"))); // already there
  ASSERT_TRUE(Touch(s / "plain.txt"));
  EXPECT_FALSE(CreateFolder(s / "plain.txt")); // a file of that name

  // A read-only file, a name outside the code page, and a path longer than
  // the classic limit are all removed.
  ASSERT_TRUE(Touch(s / (kHyo + "\\b\\ro.txt")));
  SetFileAttributesA((s / (kHyo + "\\b\\ro.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(TouchForeign(s / kHyo));
  std::string deep = s / "deep";
  while (deep.size() < MAX_PATH + 40)
    deep += "\\0123456789abcdef";
  ASSERT_TRUE(CreateFolder(deep));
  ASSERT_TRUE(Touch(deep + "\\far.txt"));
  EXPECT_TRUE(IsFile(deep + "\\far.txt"));

  std::string root = s.path;
  EXPECT_TRUE(RemoveTree(root + "\\"));
  EXPECT_FALSE(Exists(root));
  EXPECT_FALSE(RemoveTree(""));
}

TEST(Files, UniqueFoldersAreNewAndApart) {
  Scratch s;
  std::string a = MakeUniqueFolder(s.path, "w-"), b = MakeUniqueFolder(s.path + "\\", "w-");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(IsFolder(a));
  EXPECT_TRUE(IsFolder(b));
  EXPECT_EQ(FolderPart(a), s.path + "\\");
  EXPECT_EQ(FileNamePart(a).rfind("w-" + std::to_string(GetCurrentProcessId()) + "-", 0), 0u);
  EXPECT_EQ(MakeUniqueFolder(s / "missing", "w-"), "");
  std::string temp = TempFolderPath();
  EXPECT_TRUE(EndsWithBackslash(temp));
  EXPECT_TRUE(IsFolder(temp));
}

namespace {
struct Counted {
  int *released;
  void Release() noexcept { ++*released; }
};
} // namespace

TEST(Owners, ReleaseOnceWhenTheOwnerGoes) {
  int released = 0;
  Counted c{&released};
  {
    UniqueReleased<Counted> owner(&c);
    UniqueReleased<Counted> moved(std::move(owner));
    EXPECT_FALSE(owner);
    EXPECT_EQ(moved->released, &released);
  }
  EXPECT_EQ(released, 1);
}

TEST(Owners, SelectionPutsTheEarlierObjectBack) {
  UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_PEN);
  {
    UniqueGdi pen(CreatePen(PS_SOLID, 2, RGB(220, 0, 0)));
    Selection selected(dc.get(), pen.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), before);
  WindowDC screen;
  EXPECT_NE(screen.get(), nullptr);
  UniqueCoMem<char> mem(static_cast<char *>(CoTaskMemAlloc(16)));
  EXPECT_TRUE(mem);
}
