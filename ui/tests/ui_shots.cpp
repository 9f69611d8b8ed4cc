// Opens each dialog of this component in turn, captures it into a BMP file
// and closes it; scripts/screenshots turns the files into PNGs.
//   ui_shots <out folder> [names...]   (no names: every window)
//   ui_shots --list
//   ui_shots --layouts   (the sizes the layout tables give: "name [window] W H")
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/uidriver/uidriver.h"
#include "ui/bkaopt.h"
#include "ui/cmprsdlg.h"
#include "ui/msgdlg.h"
#include "ui/resultfm.h"

namespace ud = satchel::uidriver;
using namespace satchel::ui;

namespace {

struct Shot {
  const char *name;
  const char *caption;
  const char *cls;
  std::function<void()> run;    // runs the window modally until it is closed
  const char *layout = nullptr; // "[window] W H" from the window's layout table
};

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

const std::vector<Shot> &Shots() {
  static const std::vector<Shot> shots = {
      {"options", "Options for folder compression", "TBkArcOptionForm",
       [] {
         TBkArcOptionForm f;
         f.UseAsFileNameCheckBox.SetChecked(true);
         f.ExcludeRadioButton.SetChecked(true);
         f.ShowModal();
       },
       "window 314 162"},
      {"progress", "Compressing...", "TCompressingDlg", RunProgress, "270 104"},
      {"result", "Result", "TResultForm",
       [] {
         TResultForm f(nullptr);
         f.SetResultText("  adding: report.doc (deflated 62%)\n  adding: 資料.xls (deflated 80%)\n"
                         "  adding: R&D plan.txt (stored 0%)\n");
         f.ShowModal();
       },
       "337 249"},
      {"msg-warning", "警告", "TMessageForm",
       [] { MessageDlg("この形式では自己解凍ファイルが作成できません。", MsgKind::Warning); }},
      {"msg-error", "エラー", "TMessageForm",
       [] { MessageDlg("C:\\Program Files\\Mail\\PlugIns\\Satchel.ini に書き込めません", MsgKind::Error); }},
      {"msg-information", "情報", "TMessageForm", [] { MessageDlg("compression failed.", MsgKind::Information); }},
      {"msg-confirmation", "確認", "TMessageForm",
       [] { MessageDlg("Compress the dropped folder?", MsgKind::Confirmation, MsgButtons::YesNoCancel); }},
      {"input", "Archive name", "TInputQueryForm",
       [] {
         std::string v = "report.zip";
         InputQuery("Archive name", "Name of the archive:", v);
       }},
  };
  return shots;
}

} // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Shot &s : Shots())
      std::printf("%s\n", s.name);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--layouts") == 0) {
    for (const Shot &s : Shots())
      if (s.layout)
        std::printf("%s %s\n", s.name, s.layout);
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: ui_shots <out folder> [names...] | --list\n");
    return 2;
  }
  std::string out = argv[1];
  int failed = 0;
  for (const Shot &s : Shots()) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i)
      wanted = wanted || std::strcmp(argv[i], s.name) == 0;
    if (!wanted)
      continue;
    auto run = ud::RunOnThread(s.run);
    HWND w = ud::WaitForWindow(s.caption, s.cls);
    // Let the window paint itself before it is captured.
    if (w)
      ud::Sync(w);
    bool ok = w && ud::SaveShot(w, out, s.name);
    std::printf("%s: %s\n", s.name, ok ? "ok" : "FAILED");
    failed += !ok;
    if (w)
      ud::CloseBox(w);
    run.get();
  }
  return failed ? 1 : 0;
}
