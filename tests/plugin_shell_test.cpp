// The plug-in shell as the mail program meets it: this test program is the
// host (it exports the 54 host functions) and loads the real Satchel.dll.
#include "base/module.h"
#include "mailhost/host_api.h"
#include "tests/plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace satchel_test;

namespace {

struct Library {
  HMODULE module = nullptr;
  explicit Library(const std::string &path) : module(LoadLibraryA(path.c_str())) {}
  ~Library() {
    if (module)
      FreeLibrary(module);
  }
  FARPROC operator[](const char *name) const { return GetProcAddress(module, name); }
};

// A plug-in folder holding a copy of the built library and, optionally, a
// ZIP library double.
struct PluginFolder : TempFolder {
  explicit PluginFolder(const char *zip32Double = nullptr, const std::string &name = "") : TempFolder(name) {
    CopyFileA(DistFile("Satchel.dll").c_str(), (*this / "Satchel.dll").c_str(), FALSE);
    if (zip32Double)
      CopyFileA((BuildDir() + "\\tests\\doubles\\" + zip32Double + "\\ZIP32.DLL").c_str(),
                (*this / "ZIP32.DLL").c_str(), FALSE);
  }
  std::string dll() const { return *this / "Satchel.dll"; }
};

// Calls `f` with `n` zero arguments and tells whether the stack pointer is
// where it was: a stdcall callee removes exactly its own arguments.
bool CallIsBalanced(FARPROC f, int n) {
  DWORD before, after;
  asm volatile("movl %%esp, %%esi\n\t"
               "movl %[n], %%ecx\n"
               "1:\n\t"
               "testl %%ecx, %%ecx\n\t"
               "jz 2f\n\t"
               "pushl $0\n\t"
               "decl %%ecx\n\t"
               "jmp 1b\n"
               "2:\n\t"
               "call *%[f]\n\t"
               "movl %%esp, %%edi\n\t"
               "movl %%esi, %%esp\n\t"
               : "=&S"(before), "=&D"(after)
               : [f] "b"(f), [n] "m"(n)
               : "eax", "ecx", "edx", "memory", "cc");
  return before == after;
}

struct ExpectedExport {
  const char *name;
  WORD ordinal;
  int params;
};
const ExpectedExport kExports[] = {
    {"BKC_OnStart", 1, 0},        {"BKC_OnExit", 2, 0},        {"BKC_OnMenuInit", 3, 3},
    {"BKC_OnOpenFolder", 4, 1},   {"BKC_OnOpenMail", 5, 1},    {"BKC_OnEveryMinute", 6, 0},
    {"BKC_OnOpenCompose", 7, 2},  {"BKC_OnOutgoing", 8, 2},    {"BKC_OnKeyDispatch", 9, 3},
    {"BKC_OnRetrieve", 10, 2},    {"BKC_OnSend", 11, 1},       {"BKC_OnFinishRetrieve", 12, 1},
    {"BKC_OnPlugInSetup", 13, 1}, {"BKC_OnPlugInInfo", 14, 1}, {"BKC_OnDragDrop", 15, 4},
};

// Loads the plug-in from `folder`, calls BKC_OnStart (which must answer 0)
// and tells which error box, if any, it showed.
SeenBox StartPlugIn(const PluginFolder &folder) {
  Library lib(folder.dll());
  EXPECT_NE(lib.module, nullptr);
  if (!lib.module)
    return {};
  auto start = reinterpret_cast<int(WINAPI *)()>(lib["BKC_OnStart"]);
  MessageBoxAnswerer answer("エラー", "OK");
  EXPECT_EQ(start(), 0);
  return answer.Result();
}

} // namespace

TEST(ExportTable, FifteenBareNamesInOrdinalOrderWithTheModuleName) {
  std::string image = ReadFile(DistFile("Satchel.dll"));
  ASSERT_GT(image.size(), 1024u);
  auto at = [&](DWORD off) { return reinterpret_cast<const BYTE *>(image.data()) + off; };
  auto nt =
      reinterpret_cast<const IMAGE_NT_HEADERS32 *>(at(reinterpret_cast<const IMAGE_DOS_HEADER *>(at(0))->e_lfanew));
  ASSERT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  auto sections = IMAGE_FIRST_SECTION(nt);
  auto rvaToOffset = [&](DWORD rva) -> DWORD {
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto &s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return 0;
  };
  DWORD expRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
  auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(at(rvaToOffset(expRva)));
  EXPECT_STREQ(reinterpret_cast<const char *>(at(rvaToOffset(exp->Name))), "Satchel.dll");
  ASSERT_EQ(exp->NumberOfFunctions, 15u);
  ASSERT_EQ(exp->NumberOfNames, 15u);
  auto names = reinterpret_cast<const DWORD *>(at(rvaToOffset(exp->AddressOfNames)));
  auto ordinals = reinterpret_cast<const WORD *>(at(rvaToOffset(exp->AddressOfNameOrdinals)));
  for (const auto &want : kExports) {
    bool found = false;
    for (DWORD i = 0; i < exp->NumberOfNames; ++i)
      if (std::strcmp(reinterpret_cast<const char *>(at(rvaToOffset(names[i]))), want.name) == 0) {
        found = true;
        EXPECT_EQ(ordinals[i] + exp->Base, want.ordinal) << want.name;
      }
    EXPECT_TRUE(found) << want.name;
  }
}

TEST(Loading, BindsTheHostAndEveryExportKeepsTheStackBalanced) {
  PluginFolder folder("full");
  Library lib(folder.dll());
  ASSERT_NE(lib.module, nullptr) << GetLastError();
  // The plug-in's binding reaches this program's BKA_RegisterCommand.
  auto menuInit = satchel::FunctionCast<int(WINAPI *)(HWND, HMENU, int)>(lib["BKC_OnMenuInit"]);
  HMENU bar = CreateMenu();
  for (int i = 0; i < 4; ++i)
    AppendMenuA(bar, MF_POPUP, UINT_PTR(CreatePopupMenu()), "Sub");
  size_t before = mailhost::Log().commands.size();
  EXPECT_EQ(menuInit(nullptr, bar, 10), 0);
  ASSERT_EQ(mailhost::Log().commands.size(), before + 1);
  EXPECT_EQ(mailhost::Log().commands.back().description, "compress files and attach");
  DestroyMenu(bar);

  // Whatever a callback opens (the options dialog) is cancelled from another
  // thread, so every export can be called with zero arguments.
  WindowCloser closer;
  for (const auto &want : kExports) {
    FARPROC f = lib[want.name];
    ASSERT_NE(f, nullptr) << want.name;
    EXPECT_TRUE(CallIsBalanced(f, want.params)) << want.name;
  }
}

TEST(Loading, PlugInInfoBeforeStart) {
  PluginFolder folder;
  Library lib(folder.dll());
  ASSERT_NE(lib.module, nullptr);
  char info[1024];
  std::memset(info, 'x', sizeof info);
  auto infoFn = satchel::FunctionCast<int(WINAPI *)(char *)>(lib["BKC_OnPlugInInfo"]);
  EXPECT_EQ(infoFn(info), 0);
  EXPECT_STREQ(info, "Satchel plug-in");
  EXPECT_NE(std::strchr(info + 80, '<'), nullptr);
  EXPECT_NE(std::strchr(info + 80, '>'), nullptr);
  EXPECT_STREQ(info + 160, "2.0beta1");
  EXPECT_STREQ(info + 240, "compress files and attach by simple operation.");
  EXPECT_EQ(info[240 + 47], 'x'); // nothing written past the description
}

TEST(ZipLibraryCheck, MissingLibraryIsReportedAndStartAnswersZero) {
  PluginFolder folder; // no ZIP32.DLL anywhere on the search path
  auto seen = StartPlugIn(folder);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "zip32.dll not found.");
}

TEST(ZipLibraryCheck, LibraryBesideThePlugInIsFoundAndAPlantedOneInTheCurrentFolderIsNot) {
  PluginFolder folder("full");
  TempFolder cwd;
  CopyFileA((BuildDir() + "\\tests\\doubles\\full\\ZIP32.DLL").c_str(), (cwd / "ZIP32.DLL").c_str(), FALSE);
  std::string log = cwd / "loads.log";
  SetEnvironmentVariableA("SATCHEL_ZIP32_LOG", log.c_str());
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  SetCurrentDirectoryA(cwd.path().c_str());
  auto seen = StartPlugIn(folder);
  EXPECT_FALSE(seen.found) << seen.text;
  SetCurrentDirectoryA(old);
  SetEnvironmentVariableA("SATCHEL_ZIP32_LOG", nullptr);
  std::string loads = ReadFile(log);
  EXPECT_NE(loads.find(folder / "ZIP32.DLL"), std::string::npos) << loads;
  EXPECT_EQ(loads.find(cwd / "ZIP32.DLL"), std::string::npos) << loads;
  // BKC_OnStart released the library again.
  EXPECT_EQ(GetModuleHandleA("ZIP32.DLL"), nullptr);
}

TEST(ZipLibraryCheck, LibraryWithoutZpVersionIsRefused) {
  PluginFolder folder("noversion");
  auto seen = StartPlugIn(folder);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "zip32.dll not found.");
}

TEST(MenuInit, OnlyComposeMenusGetTheCommand) {
  PluginFolder folder("full");
  Library lib(folder.dll());
  ASSERT_NE(lib.module, nullptr);
  auto menuInit = satchel::FunctionCast<int(WINAPI *)(HWND, HMENU, int)>(lib["BKC_OnMenuInit"]);
  auto makeBar = [](int subMenus) {
    HMENU bar = CreateMenu();
    for (int i = 0; i < subMenus; ++i)
      AppendMenuA(bar, MF_POPUP, UINT_PTR(CreatePopupMenu()), "Sub");
    return bar;
  };
  auto &commands = mailhost::Log().commands;

  HMENU main = makeBar(4);
  size_t before = commands.size();
  EXPECT_EQ(menuInit(nullptr, main, 1), 0);
  EXPECT_EQ(commands.size(), before);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(main, 3)), 0);
  DestroyMenu(main);

  HMENU compose = makeBar(4);
  EXPECT_EQ(menuInit(nullptr, compose, 10), 0);
  ASSERT_EQ(commands.size(), before + 1);
  HMENU tools = GetSubMenu(compose, 3);
  ASSERT_EQ(GetMenuItemCount(tools), 2);
  EXPECT_EQ(GetMenuState(tools, 0, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  char text[64] = {};
  GetMenuStringA(tools, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Zip and attach...");
  // The host's command identifier is the item's identifier, unchanged.
  EXPECT_EQ(int(GetMenuItemID(tools, 1)), commands.back().id);
  EXPECT_EQ(commands.back().windowType, 10);
  // Each call registers again and adds its own pair.
  EXPECT_EQ(menuInit(nullptr, compose, 10), 0);
  EXPECT_EQ(GetMenuItemCount(tools), 4);
  EXPECT_EQ(commands.size(), before + 2);
  DestroyMenu(compose);

  // Without a fourth sub-menu nothing is appended, but the command is
  // still registered.
  HMENU small = makeBar(3);
  EXPECT_EQ(menuInit(nullptr, small, 10), 0);
  EXPECT_EQ(commands.size(), before + 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(small, i)), 0);
  DestroyMenu(small);
}
