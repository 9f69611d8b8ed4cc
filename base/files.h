// Files and folders named in the ANSI code page. Every call reaches past the
// classic path limit (through LongPath), and folders are listed with their
// UTF-16 names, so a name the code page cannot hold is still found.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace satchel {

bool Exists(std::string_view path);
bool IsFile(std::string_view path);
bool IsFolder(std::string_view path);

// One entry of a folder as FindFirstFile lists it.
struct FolderEntry {
  std::wstring_view wideName;
  std::string name; // in the ANSI code page
  bool exact;       // `name` names the same entry: no character was lost
  DWORD attributes;
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Calls `visit` for every entry that matches `pattern` (a folder's path and
// a name with "*" or "?") but "." and "..", in the order the file system
// lists them. Returns ERROR_SUCCESS (no match too) or why the folder could
// not be listed.
DWORD ForEachMatch(std::string_view pattern, const std::function<void(const FolderEntry &)> &visit);
// The same for every entry of `folder`.
DWORD ForEachEntry(std::string_view folder, const std::function<void(const FolderEntry &)> &visit);

// Removes a folder with everything in it, read-only files included. True
// when it is gone afterwards.
bool RemoveTree(std::string_view folder) noexcept;
// Makes a folder and any missing folder above it. True when it exists.
bool CreateFolder(std::string_view folder);
// The temporary folder, ending with "\"; empty when the system has none.
std::string TempFolderPath();
// Makes a new, empty folder "<prefix><process id>-<counter>" below `parent`
// and returns its path (without a closing "\"); empty when none can be made.
std::string MakeUniqueFolder(std::string_view parent, std::string_view prefix);

} // namespace satchel
