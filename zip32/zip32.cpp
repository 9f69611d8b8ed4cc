// The five exports of ZIP32.DLL. Nothing thrown inside ever leaves them:
// every failure becomes a printed "zip error" line and Info-ZIP's exit code.
#include "zip32/zip32api.h"

#include "zip32/common.h"
#include "zip32/zipper.h"

#include <zlib.h>

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

// Options before any ZpSetOptions are all zero: level 6, paths stored.
ZPOPT g_options;
ZIPUSERFUNCTIONS g_user;
std::mutex g_lock; // one archive at a time; the records above belong to it

void CopyText(char *to, std::size_t size, const char *from) {
  std::strncpy(to, from, size - 1);
  to[size - 1] = '\0';
}

} // namespace

extern "C" {

void WINAPI ZpVersion(ZpVer *v) {
  if (!v)
    return;
  std::memset(v, 0, sizeof *v);
  v->structlen = sizeof *v;
  v->flag = 2; // built on zlib
  CopyText(v->date, sizeof v->date, "December 2026");
  CopyText(v->zlib_version, sizeof v->zlib_version, zlibVersion());
  v->zip = {2, 3, 0, 0};
  v->os2dll = {2, 3, 0, 0};
  v->windll = {2, 3, 0, 0};
}

int WINAPI ZpInit(LPZIPUSERFUNCTIONS f) {
  if (!f)
    return 0;
  std::lock_guard<std::mutex> lock(g_lock);
  g_user = *f;
  return f->print && f->comment ? 1 : 0;
}

BOOL WINAPI ZpSetOptions(LPZPOPT o) {
  if (o) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_options = *o;
  }
  return TRUE;
}

ZPOPT WINAPI ZpGetOptions(void) {
  std::lock_guard<std::mutex> lock(g_lock);
  ZPOPT o = g_options;
  o.fEncryption = FALSE; // this library does not encrypt
  return o;
}

int WINAPI ZpArchive(ZCL c) {
  std::lock_guard<std::mutex> lock(g_lock);
  zip32::Console console(g_user, g_options.fQuiet != 0);
  try {
    if (!c.lpszZipFN || c.argc < 0 || (c.argc > 0 && !c.FNV))
      throw zip32::ZipError{zip32::kParms, "no archive name or name list"};
    std::vector<std::string> names;
    for (int i = 0; i < c.argc; ++i)
      if (c.FNV[i] && *c.FNV[i])
        names.emplace_back(c.FNV[i]);
    return zip32::RunArchive(g_options, console, c.lpszZipFN, names);
  } catch (const zip32::ZipError &e) {
    try {
      console.Error(e);
    } catch (...) {
    }
    return e.code;
  } catch (const std::bad_alloc &) {
    try {
      console.Error({zip32::kMem, "while archiving"});
    } catch (...) {
    }
    return zip32::kMem;
  } catch (...) {
    return 5; // internal logic error
  }
}

} // extern "C"
