// The two commands with real work: zip-and-attach, reached from the menu of
// every compose window, and the plug-in's setup command.
#pragma once
#include <windows.h>

namespace satchel {

constexpr int kComposeWindowType = 10;

// Adds "Zip and attach..." to a compose window's menu.
void OnMenuInit(HWND window, HMENU menu, int windowType);
// The handler registered with the host.
void WINAPI ZipAndAttachCommand(HWND window, LPARAM value);
// Edits the folder-compression options; answers 1 when it completes.
int PlugInSetup(HWND window);

} // namespace satchel
