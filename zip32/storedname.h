// The name an archive stores for a path. Platform-neutral (the lead-byte
// test comes from base/codepage.h), so it is fuzzed natively too.
#pragma once
#include <string>
#include <string_view>

namespace zip32 {

// "\" becomes "/"; double-byte characters are copied whole.
std::string ToSlashes(std::string_view name);
// The archive name for a path: drive, UNC host and share, leading "/" and
// "." components removed, ".." resolved without climbing above the top.
std::string StoredName(std::string_view path, bool junkFolders);

} // namespace zip32
