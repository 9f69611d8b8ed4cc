// The stand-in compose window for the documentation: its menu bar with the
// real Satchel.dll's "Zip and attach..." item, and one attachment that the
// plug-in built and attached (a dropped file with a Japanese name). The
// plug-in and its ZIP library come from <build>/dist beside this program's
// folder. Captured into a BMP file that scripts/screenshots turns into a PNG.
//   host_shots <out folder> [names...]   (no names: every window)
//   host_shots --list
//   host_shots --layouts   (nothing: the window has no layout table)
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <cstdio>

namespace ud = satchel::uidriver;
using satchel_test::TempFolder;

namespace {

const char kName[] = "compose";

// <build>\dist\, from this program's place in <build>\tests.
std::string DistFolder() {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe, n);
  dir.resize(dir.find_last_of('\\')); // <build>\tests
  dir.resize(dir.find_last_of('\\')); // <build>
  return dir + "\\dist\\";
}

bool ShootCompose(const std::string &out) {
  TempFolder plugins, store, files;
  for (const char *f : {"Satchel.dll", "ZIP32.DLL", "sfx32.dat"})
    if (!CopyFileA((DistFolder() + f).c_str(), (plugins / f).c_str(), FALSE)) {
      std::fprintf(stderr, "compose: %s%s is missing; build Satchel, zip32 and sfx32\n", DistFolder().c_str(), f);
      return false;
    }
  satchel_test::WriteFile(files / "資料表.doc", std::string(12000, 'x'));

  mailhost::HostOptions o;
  o.pluginDir = plugins.path();
  o.storeDir = store.path();
  mailhost::HostThread host(o);
  if (!host.started())
    return false;
  // On a failure the plug-in's windows may still be open: close them all
  // while the host stops.
  auto fail = [&] {
    satchel_test::WindowCloser closer;
    host.Stop();
    return false;
  };
  HWND compose = host.OpenCompose(40, 40);
  if (!compose || !mailhost::PickMenuItem(compose, "Zip and attach..."))
    return fail();
  HWND dlg = ud::WaitForWindow("Zip and attach", "TZipListForm");
  if (!dlg)
    return fail();
  PostMessageA(dlg, WM_DROPFILES, WPARAM(ud::MakeDrop({files / "資料表.doc"})), 0);
  HWND edit = nullptr;
  for (const auto &c : ud::Controls(dlg))
    if (c.cls == "Edit")
      edit = c.hwnd;
  if (!ud::WaitUntil([&] { return ud::WindowText(edit) == "資料表.zip"; }) ||
      !ud::Click(ud::FindControl(dlg, "A&ttach")) ||
      !satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, 30000))
    return fail();
  // The command has returned once the host's thread answers again.
  ud::Sync(compose);
  SetWindowPos(compose, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ud::Sync(compose);
  bool ok = ud::SaveShot(compose, out, kName);
  host.Stop();
  return ok;
}

} // namespace

int main(int argc, char **argv) { return ud::RunShots(argc, argv, {{kName, nullptr, ShootCompose}}); }
