// The progress dialog shown while an archive is built. Nothing processes
// window messages while the ZIP library works, so every update repaints at
// once. The user cannot close it: it has no close box, and its cancel
// button is never shown.
#pragma once
#include <string>

#include "base/progress.h"
#include "ui/window/form.h"

namespace satchel::ui {

class TCompressingDlg : public Form, public JobProgress {
public:
  // Hidden, without owner; centred on the screen when shown. Make it with
  // new and end it with Release() (or Close() first, then Release()).
  TCompressingDlg();

  Control CancelBtn;
  Control ProgressBar;
  Control Label1;

  // Bar range 0..count, position 0.
  void ResetProgress(int count) override;
  // The status line; "&" marks an accelerator, as in every label.
  void SetStatusText(const std::string &text) override;
  // One step (1) forward.
  void StepProgress();
  // The status line and one step, for each file the library adds: the text
  // and position are exact at once, but the dialog paints at most every
  // kPaintIntervalMs, for painting after each of many small files would cost
  // more than packing them.
  void Advance(const std::string &text);

  static constexpr DWORD kPaintIntervalMs = 50;

  // What a compression job reports.
  void ShowProgress() override { Show(); }
  void FileAdded(const std::string &text) override { Advance(text); }
  void HideProgress() override { Close(); }

private:
  void SetChildRedraw(bool on);
  bool redraw_ = true, painted_ = false;
  DWORD lastPaint_ = 0;
};

} // namespace satchel::ui
