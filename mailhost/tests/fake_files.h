// What the test plug-in attaches, shared by the plug-in and the tests that
// check the host kept it intact. The Python checker has its own copy of the
// same rules.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace fake {

constexpr char kName[] = "Fake plug-in";
constexpr char kAuthor[] = "Mail host tests <tests@localhost>";
constexpr char kVersion[] = "1.0";
constexpr char kDescription[] = "attaches generated files";
constexpr char kMenuItem[] = "Fake attach...";
constexpr char kCommandDescription[] = "attach generated files";

struct File {
  std::string name; // ANSI code page bytes
  std::string mime;
  std::string bytes;
};

// Every byte value, CR and LF among them, in a run long enough for many
// base64 lines.
inline std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i)
    s[i] = char((i * 31 + (i >> 8)) & 0xFF);
  return s;
}

inline std::vector<File> Files() {
  std::vector<File> files = {
      {"report.bin", "application/octet-stream", Pattern(3000)},
      {"a b;c=d.txt", "text/plain", "line one\r\nline two\n"},
      // A type that would break the header it goes into.
      {"injected.dat", "text/plain\r\nX-Injected: yes", "x"},
  };
  if (GetACP() == 932) {
    // "表" ends in the byte 0x5C; the long name needs folded header lines.
    files.push_back({"表計算.zip", "application/zip", Pattern(500)});
    files.push_back({"とても長い名前の添付ファイルを送るための表計算データ.lzh", "application/x-lha", Pattern(77)});
  } else {
    files.push_back({"caf\xE9 r\xE9sum\xE9.pdf", "application/pdf", Pattern(500)});
  }
  return files;
}

} // namespace fake
