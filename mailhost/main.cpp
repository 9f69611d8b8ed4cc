// mailhost.exe: the stand-in mail program.
//
//   mailhost [--plugins DIR] [--store DIR] [--compose] [--compose-at X,Y]
//            [--pick "MENU ITEM"] [--exit]
//
// --compose opens a compose window at start, --compose-at places its corner
// on the screen; --pick picks an item of that window's menu once started
// (opening the window if needed) and --exit ends the program when that
// command has finished, or at once after start without --pick. The exit
// code is 0, or 2 for bad arguments or a picked item that is not there.
#include "mailhost/host.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ParsePoint(const char *text, POINT &p) {
  char *end = nullptr;
  long x = std::strtol(text, &end, 10);
  if (end == text || *end != ',')
    return false;
  const char *rest = end + 1;
  long y = std::strtol(rest, &end, 10);
  if (end == rest || *end)
    return false;
  p = {x, y};
  return true;
}

// On standard error rather than in a box: a wrong call comes from a script.
void Usage(const std::string &why) {
  std::fprintf(stderr,
               "%s\nmailhost [--plugins DIR] [--store DIR] [--compose] [--compose-at X,Y] "
               "[--pick \"MENU ITEM\"] [--exit]\n",
               why.c_str());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  mailhost::HostOptions o;
  o.showCommand = show;
  for (int i = 1; i < __argc; ++i) {
    std::string a = __argv[i];
    bool hasValue = i + 1 < __argc;
    if (a == "--plugins" && hasValue) {
      o.pluginDir = __argv[++i];
    } else if (a == "--store" && hasValue) {
      o.storeDir = __argv[++i];
    } else if (a == "--compose") {
      o.compose = true;
    } else if (a == "--compose-at" && hasValue && ParsePoint(__argv[i + 1], o.composeAt)) {
      o.compose = o.composePlaced = true;
      ++i;
    } else if (a == "--pick" && hasValue) {
      o.pick = __argv[++i];
    } else if (a == "--exit") {
      o.exitAfterPick = true;
    } else {
      Usage("Unknown or incomplete argument: " + a);
      return 2;
    }
  }
  mailhost::Host host(o);
  if (!host.Start())
    return 1;
  return host.Run();
}
