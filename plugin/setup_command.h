// The plug-in's setup command: the folder-compression options.
#pragma once

namespace satchel {

// Shows the options dialog (no owner, centred) filled from the settings
// file at `settingsPath`, and on OK writes both folder-compression keys.
// Returns 1; when the system refuses a write, the user is shown the error
// and it returns 0. Never throws.
int RunPlugInSetup(const char *settingsPath) noexcept;

} // namespace satchel
