#include "zip32/storedname.h"

#include <vector>

#include "base/codepage.h"

namespace zip32 {
namespace {

bool IsLead(char c) { return satchel::IsLeadByte(static_cast<unsigned char>(c)); }

std::vector<std::string> Components(std::string_view slashed) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= slashed.size()) {
    std::size_t end = slashed.find('/', start);
    if (end == std::string_view::npos)
      end = slashed.size();
    parts.emplace_back(slashed.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// A drive can come back once "." and ".." are gone (".\C:x" is the stream x
// of the file C, "a\..\C:x" too); a stored name must not start with one.
void DropDrive(std::string &part) {
  while (part.size() >= 2 && part[1] == ':' && !IsLead(part[0]))
    part.erase(0, 2);
}

} // namespace

std::string ToSlashes(std::string_view name) {
  std::string s;
  s.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsLead(name[i]) && i + 1 < name.size()) {
      s += name[i];
      s += name[++i];
    } else {
      s += name[i] == '\\' ? '/' : name[i];
    }
  }
  return s;
}

std::string StoredName(std::string_view path, bool junkFolders) {
  std::string s = ToSlashes(path);
  std::string_view v = s;
  if (v.size() >= 2 && v[1] == ':' && !IsLead(v[0])) {
    v.remove_prefix(2);
  } else if (v.substr(0, 2) == "//") { // "//host/share/rest"
    std::size_t host = v.find('/', 2);
    std::size_t share = host == std::string_view::npos ? host : v.find('/', host + 1);
    v = share == std::string_view::npos ? std::string_view() : v.substr(share + 1);
  }
  std::vector<std::string> kept;
  for (auto &part : Components(v)) {
    if (kept.empty() || junkFolders)
      DropDrive(part);
    if (part.empty() || part == ".")
      continue;
    if (part == "..") { // never above the top of the archive
      if (!kept.empty())
        kept.pop_back();
      continue;
    }
    kept.push_back(std::move(part));
  }
  if (junkFolders && !kept.empty())
    return kept.back();
  std::string out;
  for (const auto &part : kept)
    out += (out.empty() ? "" : "/") + part;
  return out;
}

} // namespace zip32
