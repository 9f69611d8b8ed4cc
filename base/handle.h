// Move-only owners for Win32 handles. A traits type says which value means
// "empty" and how to release a held value.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace satchel {

template <typename Traits> class Unique {
public:
  using value_type = typename Traits::value_type;

  Unique() noexcept = default;
  explicit Unique(value_type v) noexcept : v_(v) {}
  ~Unique() { reset(); }
  Unique(Unique &&o) noexcept : v_(o.release()) {}
  Unique &operator=(Unique &&o) noexcept {
    if (this != &o)
      reset(o.release());
    return *this;
  }
  Unique(const Unique &) = delete;
  Unique &operator=(const Unique &) = delete;

  value_type get() const noexcept { return v_; }
  explicit operator bool() const noexcept { return v_ != Traits::empty(); }
  value_type release() noexcept { return std::exchange(v_, Traits::empty()); }
  void reset(value_type v = Traits::empty()) noexcept {
    value_type old = std::exchange(v_, v);
    if (old != Traits::empty())
      Traits::close(old);
  }

private:
  value_type v_ = Traits::empty();
};

struct FileHandleTraits {
  using value_type = HANDLE;
  static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct KernelHandleTraits {
  using value_type = HANDLE;
  static HANDLE empty() noexcept { return nullptr; }
  static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
  using value_type = HANDLE;
  static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { FindClose(h); }
};
struct ModuleTraits {
  using value_type = HMODULE;
  static HMODULE empty() noexcept { return nullptr; }
  static void close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct DropTraits {
  using value_type = HDROP;
  static HDROP empty() noexcept { return nullptr; }
  static void close(HDROP h) noexcept { DragFinish(h); }
};
struct GdiTraits {
  using value_type = HGDIOBJ;
  static HGDIOBJ empty() noexcept { return nullptr; }
  static void close(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct IconTraits {
  using value_type = HICON;
  static HICON empty() noexcept { return nullptr; }
  static void close(HICON h) noexcept { DestroyIcon(h); }
};
struct WindowTraits {
  using value_type = HWND;
  static HWND empty() noexcept { return nullptr; }
  static void close(HWND h) noexcept { DestroyWindow(h); }
};

using UniqueFile = Unique<FileHandleTraits>;   // CreateFile
using UniqueHandle = Unique<KernelHandleTraits>; // threads, events
using UniqueFind = Unique<FindHandleTraits>;   // FindFirstFile
using UniqueModule = Unique<ModuleTraits>;     // LoadLibrary
using UniqueDrop = Unique<DropTraits>;         // WM_DROPFILES
using UniqueGdi = Unique<GdiTraits>;           // fonts, bitmaps, brushes
using UniqueIcon = Unique<IconTraits>;
using UniqueWindow = Unique<WindowTraits>;

} // namespace satchel
