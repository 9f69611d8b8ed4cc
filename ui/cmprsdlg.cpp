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
  ProgressBar.Send(PBM_STEPIT);
  UpdateWindow(ProgressBar.Handle());
}

} // namespace satchel::ui
