// The attachment dialog for the documentation: three files in its list (two
// with Japanese names) and the archive name it proposed for them; captured
// into a BMP file that scripts/screenshots turns into a PNG.
//   zipform_shots <out folder> [names...]   (no names: every window)
//   zipform_shots --list
//   zipform_shots --layouts   (the client size the layout table gives)
#include <windows.h>

#include "tests/uidriver/uidriver.h"
#include "ui/zipform.h"

namespace ud = satchel::uidriver;
using satchel::ui::TZipListForm;

namespace {

const char kName[] = "zipform";

void RunDialog() {
  TZipListForm f;
  SetWindowPos(f.Handle(), nullptr, 32, 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Files that need not exist: a dropped path that is no folder is listed.
  SendMessageA(
      f.Handle(), WM_DROPFILES,
      WPARAM(ud::MakeDrop({"C:\\Users\\satchel\\Documents\\報告書 2026.doc",
                           "C:\\Users\\satchel\\Documents\\資料表.xls", "C:\\Users\\satchel\\Documents\\plan.txt"})),
      0);
  f.ShowModal();
}

} // namespace

int main(int argc, char **argv) {
  return ud::RunShots(argc, argv, {ud::ModalShot(kName, "Zip and attach", "TZipListForm", RunDialog, "472 353")});
}
