// The demo's user: starts the stand-in mail program with the plug-in folder
// given, opens a compose window, picks "Zip and attach...", drops a sample
// folder with Japanese names onto the dialog, answers Yes to the folder
// question and lets the plug-in build and attach the archive. With --sfx it
// ticks "&Self-extract" first.
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

using namespace satchel_test;
namespace uidriver = satchel::uidriver;

namespace {
void MakeSample(const std::string &dir) {
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\資料").c_str(), nullptr);
  WriteFile(dir + "\\表計算.txt", "売上表 2026\r\n");
  WriteFile(dir + "\\readme.txt", std::string(20000, 'x'));
  WriteFile(dir + "\\資料\\メモ.txt", "Zip and attach のデモ\r\n");
}
} // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "demo_driver PLUGIN-FOLDER STORE-FOLDER SAMPLE-PARENT [--sfx]\n");
    return 2;
  }
  bool sfx = argc > 4 && std::strcmp(argv[4], "--sfx") == 0;
  std::string sample = std::string(argv[3]) + "\\サンプル";
  MakeSample(sample);

  MessageBoxAnswerer errors("エラー", "OK"), warnings("警告", "OK"), yes("確認", "はい(&Y)");
  mailhost::HostOptions options;
  options.pluginDir = argv[1];
  options.storeDir = argv[2];
  mailhost::HostThread host(options);
  if (!host.started()) {
    std::fprintf(stderr, "the mail program did not start\n");
    return 1;
  }
  for (const auto &p : host.host().PlugIns())
    std::printf("loaded plug-in: %s %s\n", p.displayName().c_str(), p.info().version.c_str());
  HWND compose = host.OpenCompose(100, 50);
  if (!mailhost::PickMenuItem(compose, "Zip and attach...")) {
    std::printf("no \"Zip and attach...\" in the compose window's menu\n");
    return 1;
  }
  HWND dlg = uidriver::WaitForWindow("Zip and attach", "TZipListForm");
  if (!dlg) {
    std::printf("the dialog did not open\n");
    return 1;
  }
  std::printf("dialog open; %s, dropping %s\n", sfx ? "ticking Self-extract" : "plain ZIP", sample.c_str());
  if (sfx)
    uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), true);
  PostMessageA(dlg, WM_DROPFILES, WPARAM(uidriver::MakeDrop({sample})), 0);
  satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 60000);
  int rc = 1;
  for (const auto &a : host.host().Attachments(compose)) {
    std::printf("attached: %s (%s, %zu bytes)\n  stored copy: %s\n  message: %s\n", a.fileName.c_str(),
                a.mimeType.c_str(), a.bytes.size(), a.storedPath.c_str(), host.host().MessagePath(compose).c_str());
    rc = 0;
  }
  auto seen = errors.Result();
  if (seen.found)
    std::printf("error shown: %s\n", seen.text.c_str());
  host.Stop();
  return rc;
}
