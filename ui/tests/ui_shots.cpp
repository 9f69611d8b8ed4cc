// Opens each dialog of this component in turn, captures it into a BMP file
// and closes it; scripts/screenshots turns the files into PNGs.
//   ui_shots <out folder> [names...]   (no names: every window)
//   ui_shots --list
//   ui_shots --layouts   (the sizes the layout tables give: "name [window] W H")
#include <string>
#include <vector>

#include "tests/uidriver/uidriver.h"
#include "ui/bkaopt.h"
#include "ui/cmprsdlg.h"
#include "ui/input_box.h"
#include "ui/message_box.h"
#include "ui/resultfm.h"

namespace ud = satchel::uidriver;
using namespace satchel::ui;

namespace {

void RunProgress() {
  auto *dlg = new TCompressingDlg;
  dlg->ResetProgress(3);
  dlg->Show();
  dlg->SetStatusText("  adding: R&D report.doc (deflated 62%)");
  dlg->StepProgress();
  dlg->StepProgress();
  // A modal box of its own would hide it: wait here for the close request.
  MSG m;
  while (IsWindowVisible(dlg->Handle()) && GetMessageA(&m, nullptr, 0, 0))
    DispatchMessageA(&m);
  dlg->Release();
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&m);
}

// Each runs its window modally until it is closed; the layout sizes are the
// window tables' own.
std::vector<ud::Shot> Shots() {
  return {
      ud::ModalShot(
          "options", "Options for folder compression", "TBkArcOptionForm",
          [] {
            TBkArcOptionForm f;
            f.UseAsFileNameCheckBox.SetChecked(true);
            f.ExcludeRadioButton.SetChecked(true);
            f.ShowModal();
          },
          "window 314 162"),
      ud::ModalShot("progress", "Compressing...", "TCompressingDlg", RunProgress, "270 104"),
      ud::ModalShot(
          "result", "Result", "TResultForm",
          [] {
            TResultForm f(nullptr);
            f.SetResultText("  adding: report.doc (deflated 62%)\n  adding: 資料.xls (deflated 80%)\n"
                            "  adding: R&D plan.txt (stored 0%)\n");
            f.ShowModal();
          },
          "337 249"),
      ud::ModalShot("msg-warning", "警告", "TMessageForm",
                    [] { MessageDlg("この形式では自己解凍ファイルが作成できません。", MsgKind::Warning); }),
      ud::ModalShot(
          "msg-error", "エラー", "TMessageForm",
          [] { MessageDlg("C:\\Program Files\\Mail\\PlugIns\\Satchel.ini に書き込めません", MsgKind::Error); }),
      ud::ModalShot("msg-information", "情報", "TMessageForm",
                    [] { MessageDlg("compression failed.", MsgKind::Information); }),
      ud::ModalShot("msg-confirmation", "確認", "TMessageForm",
                    [] { MessageDlg("Compress the dropped folder?", MsgKind::Confirmation, MsgButtons::YesNoCancel); }),
      ud::ModalShot("input", "Archive name", "TInputQueryForm",
                    [] {
                      std::string v = "report.zip";
                      InputQuery("Archive name", "Name of the archive:", v);
                    }),
  };
}

} // namespace

int main(int argc, char **argv) { return ud::RunShots(argc, argv, Shots()); }
