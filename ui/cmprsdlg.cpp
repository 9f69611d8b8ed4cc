#include "ui/cmprsdlg.h"

#include <commctrl.h>

namespace satchel::ui {

namespace {

const FormDef kWindow{"TCompressingDlg", "Compressing...", kDialogFrameNoIcons, kDialogExStyle, 270, 104, true, true};

const ControlDef kLayout[] = {
    // name, kind, left, top, width, height, text, tab order, properties, modal result
    {"Label1", Kind::Label, 16, 16, 60, 12, "StatusLabel", -1, AutoSize},
    {"ProgressBar", Kind::ProgressBar, 16, 40, 225, 16, nullptr, 1},
    {"CancelBtn", Kind::Button, 87, 68, 75, 25, "&Cancel", 0, Hidden | Disabled | Cancel, kModalCancel},
};

} // namespace

TCompressingDlg::TCompressingDlg() {
  Build(kWindow, kLayout, {SATCHEL_CONTROL(CancelBtn), SATCHEL_CONTROL(ProgressBar), SATCHEL_CONTROL(Label1)});
}

void TCompressingDlg::ResetProgress(int count) {
  ProgressBar.Send(PBM_SETRANGE32, 0, count);
  ProgressBar.Send(PBM_SETPOS, 0);
}

void TCompressingDlg::SetStatusText(const std::string &text) {
  SetChildRedraw(true);
  RECT before;
  GetWindowRect(Label1.Handle(), &before);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT *>(&before), 2);
  Label1.SetText(text);
  // A shorter text leaves part of the old one on the form: erase it, and
  // paint now, for no message loop runs until the archive is built.
  RedrawWindow(Handle(), &before, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RedrawWindow(Label1.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TCompressingDlg::StepProgress() {
  SetChildRedraw(true);
  ProgressBar.Send(PBM_STEPIT);
  UpdateWindow(ProgressBar.Handle());
}

void TCompressingDlg::Advance(const std::string &text) {
  DWORD now = GetTickCount();
  if (!painted_ || now - lastPaint_ >= kPaintIntervalMs) {
    SetStatusText(text);
    StepProgress();
    painted_ = true;
    lastPaint_ = now;
    return;
  }
  // Meanwhile the controls take the new state without painting; the label
  // is sized to its text at the next paint.
  SetChildRedraw(false);
  SetWindowTextA(Label1.Handle(), text.c_str());
  ProgressBar.Send(PBM_STEPIT);
}

void TCompressingDlg::SetChildRedraw(bool on) {
  if (on == redraw_)
    return;
  redraw_ = on;
  Label1.Send(WM_SETREDRAW, on, 0);
  ProgressBar.Send(WM_SETREDRAW, on, 0);
  if (on)
    RedrawWindow(ProgressBar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

} // namespace satchel::ui
