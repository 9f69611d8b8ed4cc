#include "base/codepage.h"

#include <windows.h>

namespace satchel {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

} // namespace satchel
