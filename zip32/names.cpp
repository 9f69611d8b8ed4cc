#include "zip32/names.h"

#include <windows.h>

#include "base/codepage.h"
#include "zip32/storedname.h"

namespace zip32 {
namespace {

bool IsLead(char c) { return satchel::IsLeadByte(static_cast<unsigned char>(c)); }

bool IsAbsolute(std::string_view s) {
  return (!s.empty() && (s[0] == '\\' || s[0] == '/')) || (s.size() >= 2 && s[1] == ':' && !IsLead(s[0]));
}

bool EndsWithSeparator(std::string_view s) {
  bool last = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    last = s[i] == '\\' || s[i] == '/';
    if (IsLead(s[i]) && i + 1 < s.size())
      ++i;
  }
  return last;
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// Case-insensitive test, in the ANSI code page, that `path` lies inside `folder`.
bool StartsWithFolder(std::string_view path, std::string_view folder) {
  if (folder.empty() || path.size() <= folder.size())
    return false;
  std::string a = ToSlashes(path.substr(0, folder.size())), b = ToSlashes(folder);
  if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()), b.data(), int(b.size())) !=
      CSTR_EQUAL)
    return false;
  return EndsWithSeparator(folder) || path[folder.size()] == '\\' || path[folder.size()] == '/';
}

std::string Join(std::string_view folder, std::string_view name) {
  std::string s(folder);
  if (!s.empty() && !EndsWithSeparator(s))
    s += '\\';
  return s.append(name);
}

void AddFolder(const NameRules &rules, const std::string &path, const std::string &stored, std::vector<Item> &out) {
  if (rules.folderEntries && !rules.junkFolders && !stored.empty())
    out.push_back({path, stored + "/", true});
  if (!rules.recurse)
    return;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(Join(path, "*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE)
    return;
  std::vector<WIN32_FIND_DATAA> found;
  do {
    if (std::string_view(fd.cFileName) != "." && std::string_view(fd.cFileName) != "..")
      found.push_back(fd);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  for (const auto &f : found) {
    // As Info-ZIP: hidden and system files are taken only with fSystem.
    if (!rules.hiddenFiles && (f.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      continue;
    std::string childPath = Join(path, f.cFileName);
    std::string childStored = stored.empty() || rules.junkFolders ? f.cFileName : stored + "/" + f.cFileName;
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      AddFolder(rules, childPath, childStored, out);
    else
      out.push_back({childPath, childStored, false});
  }
}

// The name to store for `name` as the caller gave it.
std::string StoredFor(const NameRules &rules, std::string_view name) {
  if (IsAbsolute(name) && StartsWithFolder(name, rules.root))
    name.remove_prefix(rules.root.size() + (EndsWithSeparator(rules.root) ? 0 : 1));
  return StoredName(name, rules.junkFolders);
}

} // namespace

std::string Resolve(std::string_view root, std::string_view name) {
  if (root.empty() || IsAbsolute(name))
    return std::string(name);
  return Join(root, name);
}

void Expand(const NameRules &rules, std::string_view name, std::vector<Item> &out) {
  std::string path = Resolve(rules.root, name);
  if (HasWildcard(path)) {
    // The folder part of the name as given, to which each match is joined.
    std::string given(name);
    std::size_t cut = 0;
    for (std::size_t i = 0; i < given.size(); ++i) {
      if (given[i] == '\\' || given[i] == '/' || given[i] == ':')
        cut = i + 1;
      if (IsLead(given[i]) && i + 1 < given.size())
        ++i;
    }
    std::string givenFolder = given.substr(0, cut);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(path.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
      throw MissingName{given};
    std::vector<std::string> matches;
    do {
      if (std::string_view(fd.cFileName) != "." && std::string_view(fd.cFileName) != "..")
        matches.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    if (matches.empty())
      throw MissingName{given};
    for (const auto &m : matches)
      Expand(rules, givenFolder + m, out);
    return;
  }
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES)
    throw MissingName{std::string(name)};
  std::string stored = StoredFor(rules, name);
  if (attr & FILE_ATTRIBUTE_DIRECTORY)
    AddFolder(rules, path, stored, out);
  else
    out.push_back({path, stored, false});
}

} // namespace zip32
