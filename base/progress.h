// What a compression job tells whoever shows its progress. The progress
// dialog implements it, so the job needs no window code of its own.
#pragma once
#include <string>

namespace satchel {

class JobProgress {
public:
  // Range 0..count, position 0.
  virtual void ResetProgress(int count) = 0;
  // Shown without blocking, before the library starts work.
  virtual void ShowProgress() = 0;
  // The library began to add a file: `text` is what it printed; one step.
  virtual void FileAdded(const std::string &text) = 0;
  virtual void SetStatusText(const std::string &text) = 0;
  // Hidden at the normal end of a job.
  virtual void HideProgress() = 0;

protected:
  ~JobProgress() = default;
};

} // namespace satchel
