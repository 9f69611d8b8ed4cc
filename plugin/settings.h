// The plug-in's settings: a private INI file beside the library, read and
// written straight through the private-profile functions, nothing cached.
#pragma once
#include <stdexcept>
#include <string>

namespace satchel {

// A write that the system refused; the message names the file.
class SettingsWriteError : public std::runtime_error {
public:
  explicit SettingsWriteError(const std::string &path);
};

class TSettingsFile {
public:
  // Holds the path only (up to its first NUL, at most 263 bytes); touches
  // nothing on disk.
  explicit TSettingsFile(const char *path);

  const std::string &Path() const { return path_; }

  // The default when the file, section or key is missing or the value is
  // not a number (see StrToIntDef).
  int ReadInteger(const char *section, const char *key, int defaultValue) const;
  // True exactly when the integer read (default 1 or 0) is not zero.
  bool ReadBool(const char *section, const char *key, bool defaultValue) const;
  // Decimal; "1" or "0". Throw SettingsWriteError when the system refuses.
  void WriteInteger(const char *section, const char *key, int value) const;
  void WriteBool(const char *section, const char *key, bool value) const;

private:
  std::string path_;
};

// Integer text as the settings have always read it: leading blanks, one "+"
// or "-", then decimal digits within the signed 32-bit range, or "$" and one
// to eight hexadecimal digits taken as a 32-bit pattern. Anything else gives
// `defaultValue`. (The "0x" form is turned into "$" by ReadInteger.)
int StrToIntDef(const std::string &text, int defaultValue);

} // namespace satchel
