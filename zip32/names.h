// Turning the names a caller passes into the files to read and the names to
// store. Names are ANSI byte strings; "\" counts as a separator only where it
// is not the second byte of a double-byte character.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "zip32/storedname.h"

namespace zip32 {

struct Item {
  std::string path;   // what to open, as the file system knows it
  std::string stored; // name inside the archive ("/" separators; folders end with "/")
  bool folder = false;
};

struct NameRules {
  std::string root; // szRootDir, or empty
  bool junkFolders = false;
  bool recurse = false;
  bool folderEntries = true;
  bool hiddenFiles = false; // fSystem: hidden and system files found while recursing
};

// `name` joined to `root` unless it is absolute.
std::string Resolve(std::string_view root, std::string_view name);

// Thrown for a name that matches nothing on disk.
struct MissingName {
  std::string name;
};

// Thrown for a file found in a folder or by a pattern whose name the ANSI
// code page cannot hold; `name` shows it as well as the code page can.
struct UnrepresentableName {
  std::string name;
};

// Expands one caller name (folders when recursing, "*" and "?" patterns) into
// items, appended in order.
void Expand(const NameRules &rules, std::string_view name, std::vector<Item> &out);

} // namespace zip32
