#include "zip32/names.h"

#include <windows.h>

#include "base/codepage.h"
#include "base/files.h"
#include "base/text.h"
#include "zip32/storedname.h"

namespace zip32 {
namespace {

bool IsLead(char c) { return satchel::IsLeadByte(static_cast<unsigned char>(c)); }

using satchel::EndsWithSeparator;
using satchel::IsRooted;
using satchel::JoinPath;

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

// A name for a message: "?" for what the code page lacks, no look-alikes.
std::string Shown(std::wstring_view name) {
  int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), int(name.size()), nullptr, 0, nullptr, nullptr);
  std::string s(std::size_t(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), int(name.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// The entries of a folder in the order the file system lists them, with
// their names in the ANSI code page. A name the code page cannot hold would
// come back with "?" or a look-alike in it: that is another file's name, or
// a pattern, so it stops the run instead.
struct Found {
  std::string name;
  DWORD attributes;
};
std::vector<Found> List(const std::string &pattern, const std::string &shownFolder) {
  std::vector<Found> found;
  satchel::ForEachMatch(pattern, [&](const satchel::FolderEntry &e) {
    if (!e.exact)
      throw UnrepresentableName{shownFolder + Shown(e.wideName)};
    found.push_back({e.name, e.attributes});
  });
  return found;
}

// Folders are walked with a stack of their own rather than by recursion: a
// tree as deep as paths allow must not exhaust the caller's stack.
void AddFolder(const NameRules &rules, const std::string &path, const std::string &stored, std::vector<Item> &out) {
  struct Level {
    std::string path, stored;
    std::vector<Found> entries;
    std::size_t next = 0;
  };
  std::vector<Level> stack;
  auto enter = [&](const std::string &p, const std::string &s) {
    if (rules.folderEntries && !rules.junkFolders && !s.empty())
      out.push_back({p, s + "/", true});
    if (rules.recurse)
      stack.push_back({p, s, List(JoinPath(p, "*"), JoinPath(p, "")), 0});
  };
  enter(path, stored);
  while (!stack.empty()) {
    Level &level = stack.back();
    if (level.next == level.entries.size()) {
      stack.pop_back();
      continue;
    }
    const Found f = level.entries[level.next++];
    // As Info-ZIP: hidden and system files are taken only with fSystem.
    if (!rules.hiddenFiles && (f.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      continue;
    std::string childPath = JoinPath(level.path, f.name);
    std::string childStored = level.stored.empty() || rules.junkFolders ? f.name : level.stored + "/" + f.name;
    if (f.attributes & FILE_ATTRIBUTE_DIRECTORY)
      enter(childPath, childStored); // may move `level`
    else
      out.push_back({childPath, childStored, false});
  }
}

// The name to store for `name` as the caller gave it.
std::string StoredFor(const NameRules &rules, std::string_view name) {
  if (IsRooted(name) && StartsWithFolder(name, rules.root))
    name.remove_prefix(rules.root.size() + (EndsWithSeparator(rules.root) ? 0 : 1));
  return StoredName(name, rules.junkFolders);
}

} // namespace

std::string Resolve(std::string_view root, std::string_view name) {
  if (root.empty() || IsRooted(name))
    return std::string(name);
  return JoinPath(root, name);
}

// A name without wildcards: a file, or a folder to walk.
static void ExpandOne(const NameRules &rules, std::string_view name, std::vector<Item> &out) {
  std::string path = Resolve(rules.root, name);
  DWORD attr = GetFileAttributesW(satchel::LongPath(satchel::AnsiToWide(path)).c_str());
  if (attr == INVALID_FILE_ATTRIBUTES)
    throw MissingName{std::string(name)};
  std::string stored = StoredFor(rules, name);
  if (attr & FILE_ATTRIBUTE_DIRECTORY)
    AddFolder(rules, path, stored, out);
  else
    out.push_back({path, stored, false});
}

void Expand(const NameRules &rules, std::string_view name, std::vector<Item> &out) {
  if (!HasWildcard(name)) {
    ExpandOne(rules, name, out);
    return;
  }
  // Each match is joined to the folder part of the name as given. A match is
  // a real name, never a pattern again.
  std::string given(name);
  std::size_t cut = 0;
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (given[i] == '\\' || given[i] == '/' || given[i] == ':')
      cut = i + 1;
    if (IsLead(given[i]) && i + 1 < given.size())
      ++i;
  }
  std::string givenFolder = given.substr(0, cut);
  std::vector<Found> matches = List(Resolve(rules.root, name), givenFolder);
  if (matches.empty())
    throw MissingName{given};
  for (const auto &m : matches)
    ExpandOne(rules, givenFolder + m.name, out);
}

} // namespace zip32
