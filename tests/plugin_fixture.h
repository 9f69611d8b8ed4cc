// Test support for loading the real Satchel.dll into a test program that
// acts as the mail program: a fresh plug-in folder with copies of the
// built files, and a watcher that answers whatever window the plug-in opens.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace satchel_test {

inline std::string Env(const char *name) {
  const char *v = std::getenv(name);
  return v ? v : "";
}

// SATCHEL_BUILD as a Windows path (the build folder is bound at the same path).
inline std::string BuildDir() {
  std::string b = Env("SATCHEL_BUILD");
  std::string w = "Z:" + b;
  for (auto &c : w)
    if (c == '/')
      c = '\\';
  return w;
}
inline std::string DistFile(const std::string &name) { return BuildDir() + "\\dist\\" + name; }

inline std::string TempRoot() {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  return buf;
}

// A fresh, empty folder below the temporary folder, removed with everything
// in it at the end.
class TempFolder {
public:
  explicit TempFolder(const std::string &name = "") {
    static std::atomic<int> seq{0};
    path_ = TempRoot() + (name.empty() ? "satchel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                             std::to_string(seq++)
                                       : name);
    Remove(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { Remove(path_); }
  const std::string &path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + "\\" + name; }

  static void Remove(const std::string &path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..")
          continue;
        std::string p = path + "\\" + n;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(p);
        else {
          SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(p.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
  }

private:
  std::string path_;
};

inline bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadFile(const std::string &path) {
  std::string out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return out;
  char buf[65536];
  DWORD n;
  while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n)
    out.append(buf, n);
  CloseHandle(h);
  return out;
}

inline void WriteFile(const std::string &path, const std::string &bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n;
  ::WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

struct SeenBox {
  bool found = false;
  std::string text;
};

template <typename F> BOOL CALLBACK EnumTrampoline(HWND w, LPARAM p) { return (*reinterpret_cast<F *>(p))(w); }
// f(HWND) answers TRUE to go on.
template <typename F> void ForEachChild(HWND parent, F f) { EnumChildWindows(parent, EnumTrampoline<F>, LPARAM(&f)); }
template <typename F> void ForEachTopLevel(F f) { EnumWindows(EnumTrampoline<F>, LPARAM(&f)); }

inline bool IsOwnWindow(HWND w) {
  DWORD pid;
  GetWindowThreadProcessId(w, &pid);
  return pid == GetCurrentProcessId();
}

// The texts of a dialog's static controls, joined by line breaks: the
// message of a message box.
inline std::string StaticTexts(HWND dialog) {
  std::string all;
  ForEachChild(dialog, [&](HWND child) -> BOOL {
    char cls[32], text[1024];
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
      all += (all.empty() ? "" : "\n") + std::string(text);
    return TRUE;
  });
  return all;
}

// A visible top-level window of this process with this caption, or null.
inline HWND FindOwnWindow(const std::string &caption) {
  HWND found = nullptr;
  ForEachTopLevel([&](HWND w) -> BOOL {
    char text[256];
    if (IsOwnWindow(w) && IsWindowVisible(w) && GetWindowTextA(w, text, sizeof text) >= 0 && caption == text) {
      found = w;
      return FALSE;
    }
    return TRUE;
  });
  return found;
}

// Presses the button labelled `label` in `dialog`.
inline bool PressButton(HWND dialog, const std::string &label) {
  HWND found = nullptr;
  ForEachChild(dialog, [&](HWND c) -> BOOL {
    char text[256];
    GetWindowTextA(c, text, sizeof text);
    if (label == text) {
      found = c;
      return FALSE;
    }
    return TRUE;
  });
  if (!found)
    return false;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(found), BN_CLICKED), LPARAM(found));
  return true;
}

// While it lives, answers every box with `caption` that this process shows
// by pressing `button`, remembering the first one's text.
class MessageBoxAnswerer {
public:
  MessageBoxAnswerer(std::string caption, std::string button)
      : caption_(std::move(caption)), button_(std::move(button)), thread_([this] { Run(); }) {}
  ~MessageBoxAnswerer() { Stop(); }
  // Stops answering and tells what was seen.
  SeenBox Result() {
    Stop();
    return seen_;
  }
  // Waits up to `ms` for the first box.
  SeenBox Wait(DWORD ms = 10000) {
    for (DWORD t = 0; !found_ && t < ms; t += 20)
      Sleep(20);
    return Result();
  }

private:
  void Run() {
    while (!stop_) {
      if (HWND box = FindOwnWindow(caption_)) {
        if (!found_) {
          seen_.text = StaticTexts(box);
          seen_.found = true;
          found_ = true;
        }
        if (!PressButton(box, button_))
          PostMessageA(box, WM_CLOSE, 0, 0);
        while (IsWindow(box) && !stop_)
          Sleep(10);
      }
      Sleep(10);
    }
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable())
      thread_.join();
  }
  std::string caption_, button_;
  SeenBox seen_;
  std::atomic<bool> stop_{false}, found_{false};
  std::thread thread_;
};

// While it lives, closes every visible top-level window this process shows
// (the close box means Cancel for every dialog of the plug-in).
class WindowCloser {
public:
  WindowCloser() : thread_([this] { Run(); }) {}
  ~WindowCloser() {
    stop_ = true;
    thread_.join();
  }

private:
  void Run() {
    while (!stop_) {
      ForEachTopLevel([](HWND w) -> BOOL {
        if (IsOwnWindow(w) && IsWindowVisible(w))
          PostMessageA(w, WM_CLOSE, 0, 0);
        return TRUE;
      });
      Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

} // namespace satchel_test
