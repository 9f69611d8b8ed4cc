// Move-only owners for Win32 handles. A traits type says which value means
// "empty" and how to release a held value.
#pragma once
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

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
  value_type operator->() const noexcept { return v_; } // pointer owners
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

// Handles whose "empty" is null, released by `Close`.
template <typename T, auto Close> struct NullEmpty {
  using value_type = T;
  static T empty() noexcept { return nullptr; }
  static void close(T h) noexcept { Close(h); }
};
// Handles whose "empty" is INVALID_HANDLE_VALUE (files, find handles).
template <auto Close> struct InvalidEmpty {
  using value_type = HANDLE;
  static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { Close(h); }
};
// Memory that the shell or COM hands over (CoTaskMemAlloc, SHGetMalloc).
template <typename T> void FreeCoMem(T *p) noexcept { CoTaskMemFree(p); }
// Objects released by their own Release(): COM interfaces, and forms that
// are deleted later by their own window. Release() must not throw.
template <typename T> void CallRelease(T *p) noexcept { p->Release(); }

using UniqueFile = Unique<InvalidEmpty<&CloseHandle>>;         // CreateFile
using UniqueHandle = Unique<NullEmpty<HANDLE, &CloseHandle>>;  // threads, events
using UniqueFind = Unique<InvalidEmpty<&FindClose>>;           // FindFirstFile
using UniqueModule = Unique<NullEmpty<HMODULE, &FreeLibrary>>; // LoadLibrary
using UniqueDrop = Unique<NullEmpty<HDROP, &DragFinish>>;      // WM_DROPFILES
using UniqueGdi = Unique<NullEmpty<HGDIOBJ, &DeleteObject>>;   // fonts, bitmaps, brushes, pens
using UniqueIcon = Unique<NullEmpty<HICON, &DestroyIcon>>;
using UniqueWindow = Unique<NullEmpty<HWND, &DestroyWindow>>;
using UniqueMemoryDC = Unique<NullEmpty<HDC, &DeleteDC>>; // CreateCompatibleDC
template <typename T> using UniqueCoMem = Unique<NullEmpty<T *, &FreeCoMem<T>>>;
template <typename T> using UniqueReleased = Unique<NullEmpty<T *, &CallRelease<T>>>;

// A window's device context (GetDC), released with the window it came from.
class WindowDC {
public:
  explicit WindowDC(HWND window = nullptr) noexcept : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_)
      ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC &) = delete;
  WindowDC &operator=(const WindowDC &) = delete;
  HDC get() const noexcept { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for a scope: the one it replaced goes back.
class Selection {
public:
  Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection &) = delete;
  Selection &operator=(const Selection &) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

} // namespace satchel
