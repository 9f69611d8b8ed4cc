// The exports of ZIP32.DLL. The options and callbacks are the process's
// own, as in Info-ZIP's DLL; nothing escapes an export as a C++ exception.
#include "zip32/zip32api.h"

#include "zip32/archive.h"

#include <zlib.h>
// zlib.h defines zlib_version as a macro, which would rename the ZpVer member.
#undef zlib_version

#include <cstring>

namespace {

ZPOPT g_options{};
ZIPUSERFUNCTIONS g_callbacks{};

void Copy(char *to, std::size_t size, const char *from) {
  std::strncpy(to, from, size - 1);
  to[size - 1] = '\0';
}

} // namespace

extern "C" {

void WINAPI ZpVersion(ZpVer *v) {
  if (!v)
    return;
  std::memset(v, 0, sizeof *v);
  v->structlen = sizeof(ZpVer);
  v->flag = 0; // a release, without encryption
  Copy(v->date, sizeof v->date, __DATE__);
  Copy(v->zlib_version, sizeof v->zlib_version, zlibVersion());
  v->zip = {2, 3, 0, 0};
  v->os2dll = {2, 3, 0, 0};
  v->windll = {2, 3, 0, 0};
}

int WINAPI ZpInit(LPZIPUSERFUNCTIONS callbacks) {
  if (!callbacks || !callbacks->print || !callbacks->comment)
    return 0;
  g_callbacks = *callbacks;
  return 1;
}

BOOL WINAPI ZpSetOptions(LPZPOPT options) {
  if (options)
    g_options = *options;
  return TRUE;
}

ZPOPT WINAPI ZpGetOptions(void) { return g_options; }

int WINAPI ZpArchive(ZCL zcl) {
  try {
    return zip32::RunArchive(g_options, g_callbacks, zcl);
  } catch (...) {
    return 5; // internal logic error
  }
}

} // extern "C"
