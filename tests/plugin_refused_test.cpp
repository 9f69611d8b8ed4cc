// A host that lacks one host function: the plug-in refuses to load, silently.
#include "tests/plugin_fixture.h"

#include <gtest/gtest.h>

using namespace satchel_test;

TEST(RefusedLoad, HostWithoutTheLastHostFunction) {
  ASSERT_EQ(GetProcAddress(GetModuleHandleA(nullptr), "BKA_Connect"), nullptr);
  ASSERT_NE(GetProcAddress(GetModuleHandleA(nullptr), "BKA_SerializeRcpts"), nullptr);
  TempFolder folder;
  std::string dll = folder / "Satchel.dll";
  ASSERT_TRUE(CopyFileA(DistFile("Satchel.dll").c_str(), dll.c_str(), FALSE));
  MessageBoxAnswerer anyError("エラー", "OK");
  HMODULE m = LoadLibraryA(dll.c_str());
  EXPECT_EQ(m, nullptr);
  if (m)
    FreeLibrary(m);
  // A start-up message would come from a thread started during the load;
  // give it the time such a thread takes to show its box elsewhere.
  MSG msg;
  for (int i = 0; i < 50; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(10);
  }
  EXPECT_FALSE(anyError.Result().found);
}
