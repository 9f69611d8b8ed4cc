#include "base/text.h"

#include <windows.h>

namespace satchel {
namespace {
// Calls f(index, byte) for each character start of s, stepping over the
// trail bytes of double-byte characters.
template <typename F> void ForEachCharStart(std::string_view s, F f) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    f(i, c);
    if (IsDBCSLeadByte(c) && i + 1 < s.size())
      ++i;
  }
}
} // namespace

std::size_t LastSeparator(std::string_view path) {
  std::size_t last = std::string_view::npos;
  ForEachCharStart(path, [&](std::size_t i, unsigned char c) {
    if (c == '\\' || c == ':')
      last = i;
  });
  return last;
}

std::string FileNamePart(std::string_view path) {
  std::size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string FolderPart(std::string_view path) {
  std::size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string ReplaceExt(std::string_view path, std::string_view ext) {
  std::size_t dot = std::string_view::npos;
  ForEachCharStart(path, [&](std::size_t i, unsigned char c) {
    if (c == '\\' || c == ':')
      dot = std::string_view::npos;
    else if (c == '.')
      dot = i;
  });
  std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
  out += ext;
  return out;
}

bool EndsWithBackslash(std::string_view path) {
  bool last = false;
  ForEachCharStart(path, [&](std::size_t i, unsigned char c) { last = c == '\\' && i + 1 == path.size(); });
  return last;
}

bool EndsWithSeparator(std::string_view path) {
  bool last = false;
  ForEachCharStart(path, [&](std::size_t, unsigned char c) { last = c == '\\' || c == '/'; });
  return last;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string s(folder);
  if (!s.empty() && !EndsWithSeparator(s))
    s += '\\';
  return s.append(name);
}

namespace {
bool IsDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && !IsDBCSLeadByte(static_cast<unsigned char>(path[0]));
}
} // namespace

bool IsFullPath(std::string_view path) {
  return (IsDriveLetter(path) && path.size() >= 3 && (path[2] == '\\' || path[2] == '/')) ||
         (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

bool IsRooted(std::string_view path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || IsDriveLetter(path);
}

std::string SettingsPathFor(std::string_view modulePath) {
  // "." is never the second byte of a double-byte character.
  std::size_t dot = modulePath.rfind('.');
  std::string out(modulePath.substr(0, dot));
  return out += ".ini";
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
      out += text[i];
      out += text[++i];
    } else if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring AnsiToWide(std::string_view s, unsigned cp) {
  if (s.empty())
    return {};
  int n = MultiByteToWideChar(cp ? cp : CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(cp ? cp : CP_ACP, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::string WideToAnsi(std::wstring_view s, unsigned cp) {
  if (s.empty())
    return {};
  int n = WideCharToMultiByte(cp ? cp : CP_ACP, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string a(n, '\0');
  WideCharToMultiByte(cp ? cp : CP_ACP, 0, s.data(), int(s.size()), a.data(), n, nullptr, nullptr);
  return a;
}

bool WideToAnsiExact(std::wstring_view s, std::string &out) {
  out.clear();
  if (s.empty())
    return true;
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), int(s.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy)
    return false;
  out.resize(n);
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
  return AnsiToWide(out) == s;
}

std::wstring LongPath(std::wstring_view path) {
  // Short paths, and paths already in the long form, go as they are.
  if (path.size() < MAX_PATH - 12 || path.substr(0, 4) == L"\\\\?\\")
    return std::wstring(path);
  std::wstring given(path);
  DWORD n = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (!n)
    return given;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return LongForm(full);
}

std::wstring LongForm(std::wstring_view full) {
  if (full.substr(0, 4) == L"\\\\?\\" || full.substr(0, 4) == L"\\\\.\\")
    return std::wstring(full);
  if (full.substr(0, 2) == L"\\\\")
    return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
  return L"\\\\?\\" + std::wstring(full);
}

std::string WideToUtf8(std::wstring_view s) { return WideToAnsi(s, CP_UTF8); }
std::wstring Utf8ToWide(std::string_view s) { return AnsiToWide(s, CP_UTF8); }
std::string AnsiToUtf8(std::string_view s) { return WideToUtf8(AnsiToWide(s)); }

std::wstring SystemErrorTextW(unsigned long error) {
  wchar_t *buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t *>(&buf), 0, nullptr);
  std::wstring s = n ? std::wstring(buf, n) : std::wstring();
  LocalFree(buf);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' '))
    s.pop_back();
  return s;
}

std::string SystemErrorText(unsigned long error) { return WideToAnsi(SystemErrorTextW(error)); }

} // namespace satchel
