#include "sfx/names.h"

#include <string_view>

namespace sfx {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Windows opens a device for these names whatever extension follows them and
// whatever blanks end them ("con.txt", "NUL ").
bool IsDeviceName(const std::wstring &part) {
  std::wstring base = part.substr(0, part.find(L'.'));
  while (!base.empty() && base.back() == L' ')
    base.pop_back();
  for (wchar_t &c : base) // device names are ASCII
    if (c >= L'a' && c <= L'z')
      c = wchar_t(c - 32);
  static const wchar_t *const kFixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t *d : kFixed)
    if (base == d)
      return true;
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    wchar_t c = base[3];
    return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
  }
  return false;
}

} // namespace

Msg CheckName(const std::wstring &name, std::wstring &relative, bool &isFolder) {
  relative.clear();
  isFolder = !name.empty() && IsSeparator(name.back());
  if (name.empty())
    return kEmptyName;
  if (IsSeparator(name[0]))
    return kAbsolute;
  if (name.size() >= 2 && name[1] == L':' && ((name[0] | 0x20) >= L'a' && (name[0] | 0x20) <= L'z')) {
    // "c:x" is a path relative to drive C's current folder, or stream "x" of a
    // file named "c": only a separator after the colon makes it a drive.
    return name.size() > 2 && IsSeparator(name[2]) ? kDrive : kColon;
  }
  if (name.find(L':') != std::wstring::npos)
    return kStream;
  std::size_t at = 0;
  while (at <= name.size()) {
    std::size_t end = at;
    while (end < name.size() && !IsSeparator(name[end]))
      ++end;
    std::wstring part = name.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == L".")
      continue;
    if (part == L"..")
      return kParent;
    for (wchar_t c : part)
      if (c < 0x20 || std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos)
        return kBadChar;
    // Windows drops trailing dots and blanks, so such a name would land on
    // another file than the one it names.
    if (part.back() == L'.' || part.back() == L' ')
      return kBadChar;
    if (IsDeviceName(part))
      return kDevice;
    if (!relative.empty())
      relative += L'\\';
    relative += part;
  }
  return relative.empty() ? kEmptyName : kMsgCount;
}

} // namespace sfx
