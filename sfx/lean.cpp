#include "sfx/lean.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace sfx {

bool g_quiet = false;

void OutOfMemory() {
  static const char kText[] = "Not enough memory.\r\n";
  DWORD n;
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err && err != INVALID_HANDLE_VALUE)
    WriteFile(err, kText, sizeof kText - 1, &n, nullptr);
  if (!g_quiet)
    MessageBoxA(nullptr, kText, "Satchel", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(3);
}

} // namespace sfx

// The library's allocation and its length checks would throw; here they end
// the program through OutOfMemory.
void *operator new(std::size_t n) {
  void *p = std::malloc(n ? n : 1);
  if (!p)
    sfx::OutOfMemory();
  return p;
}
void *operator new[](std::size_t n) { return operator new(n); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { sfx::OutOfMemory(); }
void __throw_bad_array_new_length() { sfx::OutOfMemory(); }
void __throw_length_error(const char *) { sfx::OutOfMemory(); }
void __throw_logic_error(const char *) { sfx::OutOfMemory(); }
void __throw_out_of_range_fmt(const char *, ...) { sfx::OutOfMemory(); }
} // namespace std

// The library's terminate handler prints a demangled type name; nothing here
// can reach it, but its mere reference brings in the demangler.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx
