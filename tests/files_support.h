// Files for tests: where the build put its products, a temporary folder that
// a test owns, and whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/files.h"
#include "base/handle.h"

namespace satchel_test {

using satchel::Exists;

inline std::string Env(const char *name) {
  const char *v = std::getenv(name);
  return v ? v : "";
}

// SATCHEL_BUILD as a Windows path (the build folder is bound at the same path).
inline std::string BuildDir() {
  std::string w = "Z:" + Env("SATCHEL_BUILD");
  for (auto &c : w)
    if (c == '/')
      c = '\\';
  return w;
}
inline std::string DistFile(const std::string &name) { return BuildDir() + "\\dist\\" + name; }

inline std::string TempRoot() { return satchel::TempFolderPath(); }

// A fresh, empty folder below the temporary folder (with a name of its own,
// or the one given), removed with everything in it at the end.
class TempFolder {
public:
  explicit TempFolder(const std::string &name = "") {
    if (name.empty()) {
      path_ = satchel::MakeUniqueFolder(TempRoot(), "satchel-test-");
    } else {
      path_ = TempRoot() + name;
      satchel::RemoveTree(path_);
      satchel::CreateFolder(path_);
    }
  }
  ~TempFolder() { satchel::RemoveTree(path_); }
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;
  const std::string &path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

inline std::string ReadFile(const std::string &path) {
  std::string out;
  satchel::UniqueFile h(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h)
    return out;
  char buf[65536];
  DWORD n;
  while (::ReadFile(h.get(), buf, sizeof buf, &n, nullptr) && n)
    out.append(buf, n);
  return out;
}

inline void WriteFile(const std::string &path, const std::string &bytes) {
  satchel::UniqueFile h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n;
  ::WriteFile(h.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr);
}

} // namespace satchel_test
