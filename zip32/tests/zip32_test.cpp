// Drives the built ZIP32.DLL as a caller does: loaded by full path, real
// files in a temporary folder. Archives worth a second opinion are left in
// <build>/zip32-out/<code page>/ with a list of what they must hold; the
// Linux-side checker tests them with unzip, zipinfo, 7z and Python.
#include "zip32/zip32api.h"

#include "base/filesource.h"
#include "base/module.h"
#include "base/text.h"
#include "sfx/archive.h"
#include "tests/files_support.h"
#include "zip32/zipformat.h"

#include <gtest/gtest.h>
#include <zlib.h>
#undef zlib_version // a zlib macro that would rename the ZpVer member

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace satchel_test;

namespace {

struct Dll {
  HMODULE module = LoadLibraryA(DistFile("ZIP32.DLL").c_str());
  template <typename F> F Get(const char *name) { return satchel::ProcAddress<F>(module, name); }
  ZPVERSION_FN version = Get<ZPVERSION_FN>("ZpVersion");
  ZPINIT_FN init = Get<ZPINIT_FN>("ZpInit");
  ZPSETOPTIONS_FN setOptions = Get<ZPSETOPTIONS_FN>("ZpSetOptions");
  ZPGETOPTIONS_FN getOptions = Get<ZPGETOPTIONS_FN>("ZpGetOptions");
  ZPARCHIVE_FN archive = Get<ZPARCHIVE_FN>("ZpArchive");
};
Dll &Zip() {
  static Dll dll;
  return dll;
}

// What the callbacks saw, in order, with the thread they came on.
struct Seen {
  std::vector<std::string> prints, services;
  bool otherThread = false;
  int abortAfter = -1; // ServiceApplication answers non-zero at this entry
  DWORD thread = GetCurrentThreadId();
};
Seen *g_seen = nullptr;

int WINAPI OnPrint(char *text, unsigned long length) {
  g_seen->otherThread |= GetCurrentThreadId() != g_seen->thread;
  g_seen->prints.emplace_back(text, length);
  return int(length);
}
int WINAPI OnComment(char *buffer) {
  std::strcpy(buffer, "attached by Satchel");
  return 0;
}
int WINAPI OnService(const char *name, unsigned long) {
  g_seen->otherThread |= GetCurrentThreadId() != g_seen->thread;
  g_seen->services.emplace_back(name);
  return int(g_seen->services.size()) == g_seen->abortAfter;
}

std::string OutDir() {
  std::string d = BuildDir() + "\\zip32-out";
  CreateDirectoryA(d.c_str(), nullptr);
  d += "\\" + Env("SATCHEL_CP");
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

std::string Hex(const std::string &s) {
  static const char digits[] = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s)
    h += {digits[c >> 4], digits[c & 15]};
  return h;
}

class Zip32 : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Zip().module && Zip().archive && Zip().getOptions);
    g_seen = &seen;
    ZIPUSERFUNCTIONS cb{OnPrint, OnComment, nullptr, OnService};
    ASSERT_EQ(Zip().init(&cb), 1);
    ZPOPT none{};
    Zip().setOptions(&none);
  }
  void TearDown() override { g_seen = nullptr; }

  // Writes a file and notes what the archive must hold for it.
  void Put(const std::string &rel, const std::string &bytes, const std::string &stored = "") {
    WriteFile(src / rel, bytes);
    expected.push_back(Hex(stored.empty() ? rel : stored) + " " + std::to_string(bytes.size()) + " " +
                       std::to_string(crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size()))));
  }
  void Folder(const std::string &rel, const std::string &stored) {
    CreateDirectoryA((src / rel).c_str(), nullptr);
    expected.push_back(Hex(stored) + " dir");
  }
  int Run(const std::string &zip, std::vector<std::string> names, ZPOPT options = {}) {
    Zip().setOptions(&options);
    std::vector<char *> argv;
    for (auto &n : names)
      argv.push_back(n.data());
    std::string zipName = zip;
    ZCL zcl{int(argv.size()), zipName.data(), argv.data()};
    return Zip().archive(zcl);
  }
  // Leaves a copy of the archive and its list for the Linux-side checker.
  void Keep(const std::string &zip, const std::string &as) {
    std::string target = OutDir() + "\\" + as;
    ASSERT_TRUE(CopyFileA(zip.c_str(), target.c_str(), FALSE));
    std::ofstream list(target + ".expect", std::ios::binary);
    for (auto &line : expected)
      list << line << "\n";
  }
  std::vector<std::string> Pieces(const std::string &prefix) const {
    std::vector<std::string> out;
    for (auto &p : seen.prints)
      if (p.rfind(prefix, 0) == 0)
        out.push_back(p);
    return out;
  }
  std::string Errors() const {
    std::string all;
    for (auto &p : Pieces("\nzip error: "))
      all += p;
    return all;
  }
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    satchel::ForEachEntry(dst.path(), [&](const satchel::FolderEntry &e) {
      if (e.name[0] != '.')
        names.push_back(e.name);
    });
    return names;
  }

  Seen seen;
  TempFolder src, dst;
  std::vector<std::string> expected;
};

std::string Text(int lines) {
  std::string s;
  for (int i = 0; i < lines; ++i)
    s += "line " + std::to_string(i) + " of some text that compresses well\r\n";
  return s;
}
// The entry count of an archive's end record (no comment after it).
unsigned EndCount(const std::string &zip) {
  return zip.size() < 22 ? 0 : satchel::Get16(reinterpret_cast<const std::uint8_t *>(zip.data() + zip.size() - 12));
}
std::string Noise(std::size_t n) {
  std::string s(n, '\0');
  unsigned x = 12345;
  for (auto &c : s)
    c = char((x = x * 1103515245 + 12345) >> 23);
  return s;
}

TEST_F(Zip32, ExportsAndRecordsBehaveLikeTheZip23Dll) {
  ZPOPT before = Zip().getOptions();
  EXPECT_EQ(std::count(reinterpret_cast<char *>(&before), reinterpret_cast<char *>(&before + 1), 0),
            std::ptrdiff_t(sizeof(ZPOPT)))
      << "options before any ZpSetOptions are all zero";
  ZPOPT set{};
  set.fJunkDir = TRUE;
  set.fLevel = '9';
  EXPECT_TRUE(Zip().setOptions(&set));
  ZPOPT back = Zip().getOptions();
  EXPECT_EQ(std::memcmp(&set, &back, sizeof set), 0);

  ZpVer v;
  std::memset(&v, 0xcc, sizeof v);
  Zip().version(&v);
  EXPECT_EQ(v.structlen, 60u);
  EXPECT_EQ(v.zip.major, 2);
  EXPECT_EQ(v.zip.minor, 3);
  EXPECT_STREQ(v.zlib_version, zlibVersion());

  ZIPUSERFUNCTIONS noPrint{nullptr, OnComment, nullptr, nullptr};
  EXPECT_EQ(Zip().init(&noPrint), 0);
}

TEST_F(Zip32, ArchivesRelativeToTheRootWithoutTouchingCallerState) {
  Put("notes.txt", Text(4000));
  Put("noise.bin", Noise(50000));
  Put("empty.txt", "");
  Put("old.zip", Text(100)); // already compressed by name: stored
  Folder("docs", "docs/");
  Put("docs\\a.txt", Text(10), "docs/a.txt");
  Folder("docs\\none", "docs/none/");
  char before[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, before);

  ZPOPT o{};
  std::string root = src.path(); // exact length: nothing may be appended
  root.push_back('\0');
  root.push_back('#');
  o.szRootDir = root.data();
  o.fRecurse = 1;
  std::string zip = dst / "mail attachment"; // no ".zip" appended
  ASSERT_EQ(Run(zip, {"notes.txt", "noise.bin", "empty.txt", src / "old.zip", "docs"}, o), 0) << Errors();

  EXPECT_EQ(root, src.path() + std::string("\0#", 2));
  char after[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"mail attachment"});
  EXPECT_FALSE(seen.otherThread);

  std::vector<std::string> adding = Pieces("  adding");
  EXPECT_EQ(adding, (std::vector<std::string>{"  adding: notes.txt", "  adding: noise.bin", "  adding: empty.txt",
                                              "  adding: old.zip", "  adding: docs/", "  adding: docs/a.txt",
                                              "  adding: docs/none/"}));
  EXPECT_EQ(seen.services, (std::vector<std::string>{"notes.txt", "noise.bin", "empty.txt", "old.zip", "docs/",
                                                     "docs/a.txt", "docs/none/"}));
  // Each "  adding" piece is followed by the outcome of that file.
  std::vector<std::string> outcomes;
  for (std::size_t i = 0; i + 1 < seen.prints.size(); ++i)
    if (seen.prints[i].rfind("  adding", 0) == 0)
      outcomes.push_back(seen.prints[i + 1]);
  ASSERT_EQ(outcomes.size(), 7u);
  EXPECT_EQ(outcomes[0].rfind(" (deflated ", 0), 0u) << outcomes[0];
  EXPECT_EQ(outcomes[1], " (stored 0%)\n");
  EXPECT_EQ(outcomes[2], " (stored 0%)\n");
  EXPECT_EQ(outcomes[3], " (stored 0%)\n");
  EXPECT_EQ(outcomes[4], " (stored 0%)\n");
  Keep(zip, "rooted.zip");
}

TEST_F(Zip32, JunkedFoldersAndLevels) {
  CreateDirectoryA((src / "in").c_str(), nullptr);
  Put("in\\deep.txt", Text(300), "deep.txt");
  Put("top.txt", Text(300));
  ZPOPT o{};
  o.fJunkDir = -1; // any non-zero value is TRUE
  o.fLevel = '9';
  std::string zip = dst / "junk.zip";
  ASSERT_EQ(Run(zip, {src / "in\\deep.txt", src / "top.txt"}, o), 0) << Errors();
  EXPECT_EQ(Pieces("  adding").size(), 2u);
  Keep(zip, "junked.zip");

  o.fLevel = '0';
  std::string stored = dst / "stored.zip";
  ASSERT_EQ(Run(stored, {src / "top.txt"}, o), 0) << Errors();
  EXPECT_EQ(seen.prints.back(), " (stored 0%)\n");

  // Two files with one base name cannot both be stored.
  WriteFile(src / "deep.txt", "other");
  std::string clash = dst / "clash.zip";
  EXPECT_NE(Run(clash, {src / "in\\deep.txt", src / "deep.txt"}, o), 0);
  EXPECT_NE(Errors().find("deep.txt"), std::string::npos);
  EXPECT_FALSE(Exists(clash));
}

TEST_F(Zip32, ExistingArchiveIsMerged) {
  Put("keep.txt", Text(50));
  WriteFile(src / "swap.txt", "first version");
  std::string zip = dst / "merge.zip";
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  ASSERT_EQ(Run(zip, {"keep.txt", "swap.txt"}, o), 0) << Errors();
  Put("swap.txt", Text(70));
  Put("new.txt", "brand new");
  seen.prints.clear();
  ASSERT_EQ(Run(zip, {"swap.txt", "new.txt"}, o), 0) << Errors();
  EXPECT_EQ(Pieces("updating: "), std::vector<std::string>{"updating: swap.txt"});
  EXPECT_EQ(Pieces("  adding"), std::vector<std::string>{"  adding: new.txt"});
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"merge.zip"});
  Keep(zip, "merged.zip");
}

TEST_F(Zip32, FailuresLeaveNoArchiveAndNoTemporaryFile) {
  WriteFile(src / "good.txt", Text(20));
  WriteFile(src / "busy.txt", Text(20));
  std::string zip = dst / "out.zip";
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  ASSERT_EQ(Run(zip, {"good.txt"}, o), 0) << Errors();
  const std::string earlier = ReadFile(zip);

  struct Case {
    std::string why, name, says;
  };
  // Held open by another program that shares nothing.
  HANDLE locked = CreateFileA((src / "busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  for (const Case &c :
       {Case{"missing", "gone.txt", "File not found"}, Case{"locked", "busy.txt", "File in use by another program"}}) {
    seen.prints.clear();
    EXPECT_NE(Run(zip, {"good.txt", c.name}, o), 0) << c.why;
    EXPECT_NE(Errors().find(c.name), std::string::npos) << c.why << ": " << Errors();
    EXPECT_NE(Errors().find(c.says), std::string::npos) << c.why << ": " << Errors();
    EXPECT_TRUE(ReadFile(zip) == earlier) << c.why; // not printed: binary
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"out.zip"}) << c.why;
  }
  CloseHandle(locked);

  seen.prints.clear();
  std::string nowhere = dst / "no such folder\\out.zip";
  EXPECT_NE(Run(nowhere, {"good.txt"}, o), 0);
  EXPECT_NE(Errors().find("no such folder"), std::string::npos) << Errors();

  // The caller stops the run after the first entry.
  DeleteFileA(zip.c_str());
  seen.prints.clear();
  seen.services.clear();
  seen.abortAfter = 1;
  EXPECT_EQ(Run(zip, {"good.txt", "busy.txt"}, o), 9);
  EXPECT_EQ(Errors(), "\nzip error: Interrupted (aborting)\n");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(Zip32, OptionsNotProvidedAreRefused) {
  WriteFile(src / "a.txt", "a");
  std::string zip = dst / "refused.zip";
  for (BOOL ZPOPT::*flag : {&ZPOPT::fEncrypt, &ZPOPT::fMove, &ZPOPT::fFreshen, &ZPOPT::fDeleteEntries,
                            &ZPOPT::fIncludeDate, &ZPOPT::fCRLF_LF}) {
    ZPOPT o{};
    o.*flag = TRUE;
    seen.prints.clear();
    EXPECT_NE(Run(zip, {src / "a.txt"}, o), 0);
    EXPECT_EQ(Errors().rfind("\nzip error: ", 0), 0u);
    EXPECT_FALSE(Exists(zip));
  }
  seen.prints.clear();
  EXPECT_EQ(Run(zip, {}), 12);
  EXPECT_NE(Errors().find("Nothing to do!"), std::string::npos);
}

TEST_F(Zip32, NamesBeyondAsciiKeepTheirBytesAndGainAUnicodePath) {
  // Under 932 the second bytes of 表 (95 5C) and ソ (83 5C) look like "\".
  bool japanese = GetACP() == 932;
  std::string folder = japanese ? "ソフト" : "Caf\xe9";
  std::string file = japanese ? "表.txt" : "na\xefve.txt";
  Folder(folder, folder + "/");
  Put(folder + "\\" + file, Text(40), folder + "/" + file);
  Put(file, "top");
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  o.fRecurse = 1;
  std::string zip = dst / "names.zip";
  ASSERT_EQ(Run(zip, {folder, file}, o), 0) << Errors();
  EXPECT_EQ(Pieces("  adding"), (std::vector<std::string>{"  adding: " + folder + "/",
                                                          "  adding: " + folder + "/" + file, "  adding: " + file}));
  Keep(zip, "names.zip");
}

TEST_F(Zip32, LargeFilesSpanBlocksAndManySmallOnesKeepTheirOrder) {
  // Several 1 MiB blocks deflated apart must join into one stream; noise
  // spanning blocks must end up stored after all; the many small files keep
  // the callbacks in list order on this thread while workers deflate.
  Put("big.txt", Text(90000));    // about 4.6 MiB
  Put("big.bin", Noise(2500000)); // three blocks that do not shrink
  std::vector<std::string> names = {"big.txt", "big.bin"};
  for (int i = 0; i < 300; ++i) {
    std::string name = "small" + std::to_string(i) + ".txt";
    Put(name, Text(i % 17));
    names.push_back(name);
  }
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  std::string zip = dst / "large.zip";
  ASSERT_EQ(Run(zip, names, o), 0) << Errors();
  EXPECT_FALSE(seen.otherThread);
  std::vector<std::string> adding = Pieces("  adding");
  ASSERT_EQ(adding.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(adding[i], "  adding: " + names[i]);
  EXPECT_EQ(seen.services, names);
  EXPECT_EQ(seen.prints[1].rfind(" (deflated ", 0), 0u) << seen.prints[1];
  EXPECT_EQ(seen.prints[3], " (stored 0%)\n");
  Keep(zip, "large.zip");
}

} // namespace

// Names the code page cannot hold come back from the ANSI functions with "?"
// (itself a pattern) or a look-alike (another file's name): a pattern or a
// folder walk that meets one stops with an error naming it, and writes nothing.
TEST_F(Zip32, NamesTheCodePageCannotHoldStopTheRunWithTheirName) {
  bool japanese = GetACP() == 932;
  std::wstring wideSrc = satchel::AnsiToWide(src.path()) + L"\\";
  auto putWide = [&](const std::wstring &name) {
    satchel::UniqueFile f(CreateFileW((wideSrc + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(f);
  };
  putWide(japanese ? L"\U0001F600.txt" : L"\u65E5\u672C.txt");
  WriteFile(src / "plain.txt", "plain");
  std::string zip = dst / "foreign.zip";
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  const std::string shown = japanese ? "??.txt" : "??.txt";
  for (const char *pattern : {"*", "*.txt"}) {
    seen.prints.clear();
    EXPECT_EQ(Run(zip, {pattern}, o), 18) << pattern;
    EXPECT_NE(Errors().find("system code page cannot hold (" + shown + ")"), std::string::npos) << Errors();
    EXPECT_TRUE(Leftovers().empty()) << pattern;
  }
  o.fRecurse = 1;
  seen.prints.clear();
  EXPECT_EQ(Run(zip, {src.path()}, o), 18);
  EXPECT_NE(Errors().find(src / shown), std::string::npos) << Errors();
  EXPECT_TRUE(Leftovers().empty());

  // Under 932 "Ünïcödé.txt" would be read as "Unicode.txt", a file of its own.
  TempFolder pair;
  wideSrc = satchel::AnsiToWide(pair.path()) + L"\\";
  putWide(L"\u00DCn\u00EFc\u00F6d\u00E9.txt");
  putWide(L"Unicode.txt");
  seen.prints.clear();
  int rc = Run(zip, {pair.path()}, o);
  if (japanese) {
    EXPECT_EQ(rc, 18);
    EXPECT_NE(Errors().find("(" + pair / "?n?c?d?.txt)"), std::string::npos) << Errors();
    EXPECT_TRUE(Leftovers().empty());
  } else {
    EXPECT_EQ(rc, 0) << Errors();
    EXPECT_EQ(Pieces("  adding").size(), 3u); // the folder and both files
  }
}

// 65,535 entries fit the end record's count without Zip64: the writer, the
// merge and the self-extractor's reader all take 0xFFFF as that count.
TEST_F(Zip32, SixtyFiveThousandFiveHundredThirtyFiveEntriesAreACount) {
  std::string zip = dst / "full.zip";
  {
    zip32::Bytes local, central;
    for (unsigned i = 0; i < 0xFFFF; ++i) {
      zip32::EntryInfo e;
      char name[16];
      std::snprintf(name, sizeof name, "f%05u", i);
      e.name = name;
      e.dosDate = 0x21;
      e.offset = std::uint32_t(local.size());
      zip32::Bytes l = zip32::LocalHeader(e), c = zip32::CentralHeader(e);
      local.insert(local.end(), l.begin(), l.end());
      central.insert(central.end(), c.begin(), c.end());
    }
    zip32::Bytes end = zip32::EndRecord(0xFFFF, std::uint32_t(central.size()), std::uint32_t(local.size()), "");
    WriteFile(zip, std::string(local.begin(), local.end()) + std::string(central.begin(), central.end()) +
                       std::string(end.begin(), end.end()));
  }
  WriteFile(src / "f00000", "replaced");
  WriteFile(src / "f65535", "one too many");
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  ASSERT_EQ(Run(zip, {"f00000"}, o), 0) << Errors();
  EXPECT_EQ(Pieces("updating: "), std::vector<std::string>{"updating: f00000"});
  const std::string merged = ReadFile(zip);
  EXPECT_EQ(EndCount(merged), 0xFFFF);
  EXPECT_EQ(Run(zip, {"f65535"}, o), 6);
  EXPECT_NE(Errors().find("Too many entries"), std::string::npos) << Errors();
  EXPECT_TRUE(ReadFile(zip) == merged);

  satchel::MemorySource bytes(merged.data(), merged.size());
  EXPECT_EQ(zip32::ReadArchive(bytes, zip).entries.size(), 0xFFFFu);
  sfx::Archive archive;
  sfx::Msg error = sfx::kMsgCount;
  ASSERT_TRUE(archive.Load(bytes, 0, error)) << "self-extractor refused it: message " << error;
  EXPECT_EQ(archive.Entries().size(), 0xFFFFu);
}

// Archives go where they are asked, however long the folder's name; a
// failure names the temporary file exactly.
TEST_F(Zip32, TargetFoldersBeyondMaxPath) {
  auto wide = [](const std::string &path) { return satchel::LongPath(satchel::AnsiToWide(path)); };
  std::vector<std::string> levels{dst.path()};
  while (levels.back().size() < 250) {
    levels.push_back(levels.back() + "\\" + std::string(30, 'd'));
    ASSERT_TRUE(CreateDirectoryW(wide(levels.back()).c_str(), nullptr)) << levels.back() << " " << GetLastError();
  }
  const std::string deep = levels.back();
  // The test folder's own clean-up stops at MAX_PATH: these go first.
  struct Cleanup {
    std::vector<std::string> &levels;
    std::function<std::wstring(const std::string &)> wide;
    ~Cleanup() {
      DeleteFileW(wide(levels.back() + "\\long.zip").c_str());
      for (std::size_t i = levels.size(); i-- > 1;)
        RemoveDirectoryW(wide(levels[i]).c_str());
    }
  } cleanup{levels, wide};
  Put("a.txt", Text(30));
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  std::string zip = deep + "\\long.zip";
  ASSERT_EQ(Run(zip, {"a.txt"}, o), 0) << Errors();
  satchel::FileSource made(satchel::UniqueFile(
      CreateFileW(wide(zip).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
  ASSERT_TRUE(made.IsOpen());
  EXPECT_EQ(zip32::ReadArchive(made, zip).entries.size(), 1u);

  seen.prints.clear();
  std::string missing = deep + "\\missing\\";
  EXPECT_EQ(Run(missing + "x.zip", {"a.txt"}, o), 10);
  std::string error = Errors(), head = "\nzip error: Temporary file failure (" + missing + "zi";
  ASSERT_EQ(error.rfind(head, 0), 0u) << error;
  std::string rest = error.substr(head.size());
  EXPECT_EQ(rest.size(), 12u) << rest; // six hex digits, ".tmp)\n"
  EXPECT_EQ(rest.substr(6), ".tmp)\n") << rest;
}

// fQuiet leaves only errors; the archive inside the folder being zipped is
// never taken into itself on the next run.
TEST_F(Zip32, QuietRunsAndTheArchiveNeverHoldsItself) {
  WriteFile(src / "a.txt", Text(5));
  ZPOPT o{};
  o.szRootDir = const_cast<char *>(src.path().c_str());
  o.fRecurse = 1;
  o.fQuiet = TRUE;
  std::string zip = src / "self.zip";
  for (int run = 0; run < 2; ++run) {
    seen.prints.clear();
    ASSERT_EQ(Run(zip, {"*"}, o), 0) << Errors();
    EXPECT_TRUE(seen.prints.empty()) << seen.prints.front();
  }
  std::string bytes = ReadFile(zip);
  satchel::MemorySource source(bytes.data(), bytes.size());
  auto entries = zip32::ReadArchive(source, zip).entries;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "a.txt");
}
