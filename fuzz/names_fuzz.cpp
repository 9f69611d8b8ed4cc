// Feeds arbitrary names to the self-extractor's name check (UTF-16, two bytes
// a character) and to ZIP32.DLL's stored-name rules (bytes, Shift-JIS). A
// name that passes either must not lead outside the target folder.
#include <cstdint>
#include <string>

#include "sfx/names.h"
#include "zip32/storedname.h"

namespace {

void CheckRelative(const std::wstring &relative) {
  if (relative.empty() || relative[0] == L'\\' || relative.find(L':') != std::wstring::npos ||
      relative.find(L'/') != std::wstring::npos)
    __builtin_trap();
  std::size_t at = 0;
  while (true) {
    std::size_t end = relative.find(L'\\', at);
    std::wstring part = relative.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
    if (part.empty() || part == L".." || part == L".")
      __builtin_trap();
    if (end == std::wstring::npos)
      break;
    at = end + 1;
  }
}

bool IsAsciiLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

void CheckStored(const std::string &stored) {
  if (!stored.empty() && stored[0] == '/')
    __builtin_trap();
  if (stored.size() >= 2 && stored[1] == ':' && IsAsciiLetter(stored[0]))
    __builtin_trap();
  // Components as an extractor splits them: at every "/", lead bytes or not.
  std::size_t at = 0;
  while (at <= stored.size()) {
    std::size_t end = stored.find('/', at);
    if (end == std::string::npos)
      end = stored.size();
    std::string part = stored.substr(at, end - at);
    if (part == ".." || (part.empty() && !stored.empty()))
      __builtin_trap();
    at = end + 1;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::wstring wide;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    wide += wchar_t(data[i] | data[i + 1] << 8);
  std::wstring relative;
  bool isFolder;
  if (sfx::CheckName(wide, relative, isFolder) == sfx::kMsgCount)
    CheckRelative(relative);

  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  std::string slashed = zip32::ToSlashes(bytes);
  if (slashed.size() != bytes.size())
    __builtin_trap();
  CheckStored(zip32::StoredName(bytes, false));
  std::string junked = zip32::StoredName(bytes, true);
  if (junked.find('/') != std::string::npos)
    __builtin_trap();
  CheckStored(junked);
  return 0;
}
