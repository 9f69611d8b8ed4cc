// One ZpArchive call: collects the names, deflates, and writes the archive to
// a temporary file that replaces the target only when it is complete.
#pragma once
#include "zip32/zip32api.h"

namespace zip32 {

int RunArchive(const ZPOPT &options, const ZIPUSERFUNCTIONS &callbacks, const ZCL &zcl);

} // namespace zip32
