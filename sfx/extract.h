// Extracts (or tests) every entry of an archive into a folder, telling a
// sink about progress and problems and asking it before replacing a file.
#pragma once
#include <cstdint>
#include <string>

#include "sfx/archive.h"

namespace sfx {

enum class Answer { Yes, No, All, Cancel };

class Sink {
public:
  virtual ~Sink() = default;
  // `done` of `total` archive bytes are behind us; `name` is being worked on.
  virtual void Progress(uint64_t done, uint64_t total, const std::wstring &name) = 0;
  // One problem, ready to show.
  virtual void Report(const std::wstring &message) = 0;
  virtual Answer AskOverwrite(const std::wstring &path) = 0;
  virtual bool Cancelled() = 0;
};

struct Options {
  std::wstring folder; // where the entries go; unused when testing
  bool testOnly = false;
  bool overwrite = false; // replace existing files without asking
};

struct Outcome {
  unsigned files = 0, folders = 0, skipped = 0, failed = 0;
  bool refused = false; // unsafe names: nothing was written
  bool cancelled = false;
  // Files kept because the user (or the lack of -o) said so are no failure.
  bool Ok() const { return !refused && !cancelled && !failed; }
};

Outcome Extract(const Archive &archive, const Options &options, Sink &sink);

} // namespace sfx
