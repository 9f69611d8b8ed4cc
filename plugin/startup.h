// What lives from loading to unloading: the host binding and the path of
// the settings file beside the library.
#pragma once
#include "host/BeckyAPI.h"

namespace satchel {

extern TBeckyAPI *BeckyAPI;

constexpr int kSettingsPathSize = 263;
extern char SettingsPath[kSettingsPathSize];

// Fills `buffer` with `modulePath` whose extension (from the last "." of
// the whole path) is replaced by ".ini", or with ".ini" appended when the
// path has no ".". False when the result would not fit.
bool MakeSettingsPath(const char *modulePath, char (&buffer)[kSettingsPathSize]);

// Creates and resolves the host binding and computes the settings path.
// False when the library must refuse to load.
bool StartUp(HMODULE self);
// Destroys the host binding.
void ShutDown();

} // namespace satchel
