// The one code-page fact that byte-string parsing needs: whether a byte
// starts a double-byte character in the ANSI code page. Declared apart from
// windows.h so that parsers built on it also build natively.
#pragma once

namespace satchel {

bool IsLeadByte(unsigned char c);

} // namespace satchel
