// The attachment dialog for the documentation: three files in its list (two
// with Japanese names) and the archive name it proposed for them; captured
// into a BMP file that scripts/screenshots turns into a PNG.
//   zipform_shots <out folder> [names...]   (no names: every window)
//   zipform_shots --list
//   zipform_shots --layouts   (the client size the layout table gives)
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/uidriver/uidriver.h"
#include "ui/zipform.h"

namespace ud = satchel::uidriver;
using satchel::ui::TZipListForm;

namespace {

const char kName[] = "zipform";

// A drop handle as the shell builds it, with ANSI paths; the dialog frees it.
HDROP MakeDrop(const std::vector<std::string> &paths) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const auto &p : paths)
    bytes += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, bytes);
  auto *df = static_cast<DROPFILES *>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = FALSE;
  char *out = reinterpret_cast<char *>(df + 1);
  for (const auto &p : paths) {
    std::memcpy(out, p.c_str(), p.size() + 1);
    out += p.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

void RunDialog() {
  TZipListForm f;
  SetWindowPos(f.Handle(), nullptr, 32, 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Files that need not exist: a dropped path that is no folder is listed.
  SendMessageA(
      f.Handle(), WM_DROPFILES,
      WPARAM(MakeDrop({"C:\\Users\\satchel\\Documents\\報告書 2026.doc", "C:\\Users\\satchel\\Documents\\資料表.xls",
                       "C:\\Users\\satchel\\Documents\\plan.txt"})),
      0);
  f.ShowModal();
}

} // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--list") == 0) {
    std::printf("%s\n", kName);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--layouts") == 0) {
    std::printf("%s 472 353\n", kName);
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: zipform_shots <out folder> [names...] | --list | --layouts\n");
    return 2;
  }
  bool wanted = argc == 2;
  for (int i = 2; i < argc; ++i)
    wanted = wanted || std::strcmp(argv[i], kName) == 0;
  if (!wanted)
    return 0;
  auto run = ud::RunOnThread(RunDialog);
  HWND w = ud::WaitForWindow("Zip and attach", "TZipListForm");
  // Let the window paint itself before it is captured.
  if (w)
    ud::Sync(w);
  bool ok = w && ud::SaveShot(w, argv[1], kName);
  std::printf("%s: %s\n", kName, ok ? "ok" : "FAILED");
  if (w)
    ud::CloseBox(w);
  run.get();
  return ok ? 0 : 1;
}
