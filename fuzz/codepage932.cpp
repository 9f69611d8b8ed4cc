// The native stand-in for the Windows lead-byte test: Shift-JIS (code page
// 932), the code page our users run, so double-byte names are exercised.
#include "base/codepage.h"

namespace satchel {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

} // namespace satchel
