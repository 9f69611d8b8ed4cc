#include "plugin/settings.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace satchel {

namespace {
constexpr std::size_t kPathCapacity = 263;
constexpr DWORD kValueBuffer = 2048;

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}
} // namespace

SettingsWriteError::SettingsWriteError(const std::string &path) : std::runtime_error(path + " に書き込めません") {}

int StrToIntDef(const std::string &text, int defaultValue) {
  std::size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ')
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == n)
    return defaultValue;
  if (text[i] == '$') {
    std::size_t first = ++i;
    std::uint32_t pattern = 0;
    for (; i < n; ++i) {
      int d = HexDigit(text[i]);
      if (d < 0 || i - first >= 8) // another character, or a ninth digit
        return defaultValue;
      pattern = pattern << 4 | std::uint32_t(d);
    }
    if (i == first)
      return defaultValue;
    return int(negative ? 0u - pattern : pattern);
  }
  std::int64_t value = 0;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return defaultValue;
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t(INT32_MAX) + 1)
      return defaultValue;
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX || value < INT32_MIN)
    return defaultValue;
  return int(value);
}

TSettingsFile::TSettingsFile(const char *path) : path_(path, strnlen(path, kPathCapacity)) {}

int TSettingsFile::ReadInteger(const char *section, const char *key, int defaultValue) const {
  std::string buf(kValueBuffer, '\0');
  DWORD n = GetPrivateProfileStringA(section, key, "", buf.data(), kValueBuffer, path_.c_str());
  buf.resize(n);
  if (buf.size() > 2 && buf[0] == '0' && (buf[1] == 'x' || buf[1] == 'X'))
    buf.replace(0, 2, "$");
  return StrToIntDef(buf, defaultValue);
}

bool TSettingsFile::ReadBool(const char *section, const char *key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TSettingsFile::WriteInteger(const char *section, const char *key, int value) const {
  if (!WritePrivateProfileStringA(section, key, std::to_string(value).c_str(), path_.c_str()))
    throw SettingsWriteError(path_);
}

void TSettingsFile::WriteBool(const char *section, const char *key, bool value) const {
  WriteInteger(section, key, value ? 1 : 0);
}

} // namespace satchel
