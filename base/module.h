// The module whose code is running (the plug-in DLL, or a test program that
// links the same code), and module file names.
#pragma once
#include <windows.h>

#include <string>

namespace satchel {

// The module that contains this function's code.
HMODULE ThisModule();
// Full file name of a module (null: the process's executable), any length.
std::string ModuleFileName(HMODULE module);

} // namespace satchel
