// Plug-ins as the mail program loads them: every DLL of the plug-in folder,
// its BKC_* callbacks bound by name, and the information record it fills.
#pragma once
#include "base/handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace mailhost {

struct PlugInInfo {
  std::string name, author, version, description;
};

// The callbacks this host calls; every one the DLL lacks stays null.
struct PlugInCallbacks {
  int(WINAPI *OnStart)() = nullptr;
  int(WINAPI *OnExit)() = nullptr;
  int(WINAPI *OnMenuInit)(HWND, HMENU, int) = nullptr;
  int(WINAPI *OnOpenCompose)(HWND, int) = nullptr;
  int(WINAPI *OnPlugInSetup)(HWND) = nullptr;
  int(WINAPI *OnPlugInInfo)(char *) = nullptr;
};

class PlugIn {
public:
  PlugIn(std::string path, satchel::UniqueModule module);
  const std::string &path() const { return path_; }
  const std::string &fileName() const { return fileName_; }
  HMODULE module() const { return module_.get(); }
  const PlugInInfo &info() const { return info_; }
  const PlugInCallbacks &calls() const { return calls_; }
  // The display name, or the file name for a plug-in that gives none.
  std::string displayName() const { return info_.name.empty() ? fileName_ : info_.name; }

  void Start();
  void MenuInit(HWND window, HMENU menu, int windowType) const;
  void OpenCompose(HWND window) const;
  // False when the plug-in has no setup.
  bool Setup(HWND window) const;
  // BKC_OnExit; after it nothing of the plug-in is called again. The library
  // is freed when this object goes.
  void Exit();

private:
  std::string path_, fileName_;
  satchel::UniqueModule module_;
  PlugInCallbacks calls_;
  PlugInInfo info_;
};

struct LoadFailure {
  std::string path;
  DWORD error; // GetLastError of LoadLibraryA
};

// Loads every "*.dll" of `folder` in name order, asks each for its
// information and starts it. A DLL that does not load is skipped and
// recorded in `failures`; one that exports no BKC_* callback at all is a
// library a plug-in brought along (ZIP32.DLL, say) and is left alone.
std::vector<PlugIn> LoadPlugIns(const std::string &folder, std::vector<LoadFailure> &failures);

// A short system text for a Windows error code, without the line break.
std::string ErrorText(DWORD error);

} // namespace mailhost
