#include "plugin/commands.h"

#include "plugin/startup.h"

namespace satchel {

void OnMenuInit(HWND, HMENU menu, int windowType) {
  if (windowType != kComposeWindowType)
    return;
  HMENU tools = GetSubMenu(menu, 3);
  AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
  int id = BeckyAPI->RegisterCommand("compress files and attach", windowType, ZipAndAttachCommand);
  AppendMenuA(tools, MF_STRING, UINT_PTR(id), "Zip and attach...");
}

void WINAPI ZipAndAttachCommand(HWND, LPARAM) {}

int PlugInSetup(HWND) { return 1; }

} // namespace satchel
