// A fresh folder under the temporary folder for one test, removed with its
// files afterwards (read-only ones included).
#pragma once
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace satchel_test {

class ScratchFolder {
public:
  ScratchFolder() {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    static int seq = 0;
    path_ = std::string(tmp) + "satchel-ui-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(seq++);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string f = path_ + "\\" + fd.cFileName;
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  std::string File(const std::string &name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

inline void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}
inline std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

} // namespace satchel_test
