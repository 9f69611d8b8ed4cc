// The window a person sees: archive name, target folder with a folder
// browser, progress, overwrite questions and a closing summary.
#pragma once
#include <string>

#include "sfx/archive.h"
#include "sfx/extract.h"

namespace sfx {

// Runs the window until the user closes it and answers the exit code.
// `autoStart` extracts (or tests) at once, with the folder as given.
int RunWindow(const Archive &archive, const std::wstring &program, Options options, bool autoStart);

// Exit codes shared by the window and the quiet mode.
enum ExitCode { kExitOk = 0, kExitEntries = 1, kExitUsage = 2, kExitArchive = 3, kExitCancelled = 4 };
int ExitCodeOf(const Outcome &o);
// The closing line for an outcome.
std::wstring Summary(const Outcome &o, const Options &options);

} // namespace sfx
