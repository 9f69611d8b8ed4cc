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

// An entry point under its declared type. GetProcAddress answers a generic
// function pointer; the detour through void (*)() converts it without a cast
// between two unrelated signatures.
template <typename Fn> Fn FunctionCast(FARPROC p) { return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p)); }
template <typename Fn> Fn ProcAddress(HMODULE module, const char *name) {
  return FunctionCast<Fn>(GetProcAddress(module, name));
}

} // namespace satchel
