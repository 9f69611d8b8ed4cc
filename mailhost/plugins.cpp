#include "mailhost/plugins.h"

#include "base/text.h"

#include <algorithm>
#include <cstring>

namespace mailhost {
namespace {

template <typename F> void Bind(HMODULE m, const char *name, F &entry) {
  entry = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, name)));
}

// A field of the information record: NUL-terminated within its width.
std::string Field(const char *record, size_t offset, size_t width) {
  const char *p = record + offset;
  return std::string(p, strnlen(p, width));
}

bool IsPlugIn(HMODULE m) {
  for (const char *name :
       {"BKC_OnStart", "BKC_OnExit", "BKC_OnMenuInit", "BKC_OnOpenCompose", "BKC_OnPlugInSetup", "BKC_OnPlugInInfo"})
    if (GetProcAddress(m, name))
      return true;
  return false;
}

} // namespace

PlugIn::PlugIn(std::string path, satchel::UniqueModule module)
    : path_(std::move(path)), fileName_(satchel::FileNamePart(path_)), module_(std::move(module)) {
  HMODULE m = module_.get();
  Bind(m, "BKC_OnStart", calls_.OnStart);
  Bind(m, "BKC_OnExit", calls_.OnExit);
  Bind(m, "BKC_OnMenuInit", calls_.OnMenuInit);
  Bind(m, "BKC_OnOpenCompose", calls_.OnOpenCompose);
  Bind(m, "BKC_OnPlugInSetup", calls_.OnPlugInSetup);
  Bind(m, "BKC_OnPlugInInfo", calls_.OnPlugInInfo);

  if (calls_.OnPlugInInfo) {
    // Four fields of 80 bytes, the last one as long as the plug-in likes: it
    // gets 256 bytes, and a zeroed tail so that an unterminated field ends.
    char record[240 + 256 + 16] = {};
    calls_.OnPlugInInfo(record);
    info_ = {Field(record, 0, 80), Field(record, 80, 80), Field(record, 160, 80), Field(record, 240, 256)};
  }
}

void PlugIn::Start() {
  if (calls_.OnStart)
    calls_.OnStart();
}

void PlugIn::MenuInit(HWND window, HMENU menu, int windowType) const {
  if (calls_.OnMenuInit)
    calls_.OnMenuInit(window, menu, windowType);
}

void PlugIn::OpenCompose(HWND window) const {
  if (calls_.OnOpenCompose)
    calls_.OnOpenCompose(window, 0);
}

bool PlugIn::Setup(HWND window) const {
  if (!calls_.OnPlugInSetup)
    return false;
  calls_.OnPlugInSetup(window);
  return true;
}

void PlugIn::Exit() {
  if (calls_.OnExit)
    calls_.OnExit();
  calls_ = {}; // nothing more is called; the library goes with this object
}

std::vector<PlugIn> LoadPlugIns(const std::string &folder, std::vector<LoadFailure> &failures) {
  std::vector<std::string> paths;
  WIN32_FIND_DATAA fd;
  satchel::UniqueFind find(FindFirstFileA((folder + "\\*.dll").c_str(), &fd));
  if (find) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        paths.push_back(folder + "\\" + fd.cFileName);
    } while (FindNextFileA(find.get(), &fd));
  }
  std::sort(paths.begin(), paths.end(),
            [](const std::string &a, const std::string &b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });

  std::vector<PlugIn> plugins;
  for (const std::string &path : paths) {
    // A DLL that refuses to load must not make Windows show a box of its own.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    satchel::UniqueModule module(LoadLibraryA(path.c_str()));
    DWORD error = GetLastError();
    SetErrorMode(oldMode);
    if (!module) {
      failures.push_back({path, error});
      continue;
    }
    if (!IsPlugIn(module.get()))
      continue;
    plugins.emplace_back(path, std::move(module));
  }
  for (PlugIn &p : plugins)
    p.Start();
  return plugins;
}

std::string ErrorText(DWORD error) {
  std::string text = satchel::SystemErrorText(error);
  if (!text.empty() && text.back() == '.')
    text.pop_back();
  return text.empty() ? "error " + std::to_string(error) : text + " (error " + std::to_string(error) + ")";
}

} // namespace mailhost
