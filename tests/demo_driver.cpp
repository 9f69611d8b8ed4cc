// The demo's user: starts the stand-in mail program with the plug-in folder
// given, opens a compose window, picks "Zip and attach..." and tells what
// the mail program ended up with. Message boxes are answered with OK.
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"

#include <cstdio>

using namespace satchel_test;

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "demo_driver PLUGIN-FOLDER STORE-FOLDER\n");
    return 2;
  }
  MessageBoxAnswerer errors("エラー", "OK"), warnings("警告", "OK");
  mailhost::HostOptions options;
  options.pluginDir = argv[1];
  options.storeDir = argv[2];
  options.showCommand = SW_SHOWNORMAL;
  mailhost::HostThread host(options);
  if (!host.started()) {
    std::fprintf(stderr, "the mail program did not start\n");
    return 1;
  }
  for (const auto &p : host.host().PlugIns())
    std::printf("loaded plug-in: %s %s (%s)\n", p.displayName().c_str(), p.info().version.c_str(), p.path().c_str());
  HWND compose = host.OpenCompose(100, 50);
  UINT id = mailhost::FindMenuCommand(compose, "Zip and attach...");
  std::printf("compose window menu item \"Zip and attach...\": %s (id %u)\n", id ? "present" : "MISSING", id);
  if (id) {
    mailhost::PickMenuItem(compose, "Zip and attach...");
    mailhost::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 3000);
  }
  for (const auto &a : host.host().Attachments(compose))
    std::printf("attached: %s (%s, %zu bytes) -> %s\n", a.fileName.c_str(), a.mimeType.c_str(), a.bytes.size(),
                host.host().MessagePath(compose).c_str());
  auto seen = errors.Result();
  if (seen.found)
    std::printf("message shown: %s\n", seen.text.c_str());
  return host.Stop() == 0 && id ? 0 : 1;
}
