// The stub is built without C++ exceptions (they would bring a threads
// library and unwinder, a third of its size). Running out of memory, the one
// thing that would have thrown, ends the program with a message instead.
#pragma once

namespace sfx {
// Set by the command line: no message box, only the standard error handle.
extern bool g_quiet;
[[noreturn]] void OutOfMemory();
} // namespace sfx
