// Entry names: decoding as the archive says and the checks that keep every
// file inside the folder the user chose. The checks are platform-neutral;
// decoding uses the system's code page.
#pragma once
#include <string>

#include "sfx/archive.h"
#include "sfx/texts.h"

namespace sfx {

// The entry's name in UTF-16: its UTF-8 name where the archive gives one,
// else its bytes in the ANSI code page.
std::wstring DecodeName(const Entry &e);

// Checks a decoded name and turns it into a relative path with "\" between
// its parts. Answers kMsgCount when the name is safe, else the reason it is
// refused. A name ending in "/" or "\" names a folder.
Msg CheckName(const std::wstring &name, std::wstring &relative, bool &isFolder);

} // namespace sfx
