// Test support for loading the real Satchel.dll into a test program that
// acts as the mail program: a session with a fresh plug-in folder holding
// copies of the built files, and the window helpers of tests/uidriver that
// answer whatever window the plug-in opens.
#pragma once
#include <windows.h>

#include <string>

#include "mailhost/host.h"
#include "tests/files_support.h"
#include "tests/uidriver/uidriver.h"

namespace satchel_test {

using satchel::uidriver::ForEachChild;
using satchel::uidriver::ForEachTopLevel;
using satchel::uidriver::IsOwnWindow;
using satchel::uidriver::SeenBox;
using satchel::uidriver::WindowCloser;
// Answers the boxes with a caption by pressing a button.
using MessageBoxAnswerer = satchel::uidriver::BoxWatcher;

enum class ZipLibrary { Real, Scripted, None };

// A plug-in folder, a store and a folder for the user's files; the plug-in
// folder holds Satchel.dll and, as asked, our ZIP32.DLL with sfx32.dat or
// the scripted double.
struct Session {
  TempFolder plugins, store, files;
  explicit Session(ZipLibrary zip = ZipLibrary::Real) {
    CopyFileA(DistFile("Satchel.dll").c_str(), (plugins / "Satchel.dll").c_str(), FALSE);
    if (zip == ZipLibrary::Real) {
      CopyFileA(DistFile("ZIP32.DLL").c_str(), (plugins / "ZIP32.DLL").c_str(), FALSE);
      CopyFileA(DistFile("sfx32.dat").c_str(), (plugins / "sfx32.dat").c_str(), FALSE);
    } else if (zip == ZipLibrary::Scripted) {
      CopyFileA((BuildDir() + "\\tests\\doubles\\scripted\\ZIP32.DLL").c_str(), (plugins / "ZIP32.DLL").c_str(), FALSE);
    }
  }
  std::string ini() const { return plugins / "Satchel.ini"; }
  void Set(const char *section, const char *key, const char *value) const {
    WritePrivateProfileStringA(section, key, value, ini().c_str());
  }
  // A setting as the command left it, or "(none)".
  std::string Get(const char *section, const char *key) const {
    char v[64];
    GetPrivateProfileStringA(section, key, "(none)", v, sizeof v, ini().c_str());
    return v;
  }
  // The folder-compression options as the setup command stores them.
  void FolderOptions(bool includeFolderName, bool useAsFileName) const {
    Set("FolderCompression", "IncludeFolderName", includeFolderName ? "1" : "0");
    Set("FolderCompression", "UseAsFileName", useAsFileName ? "1" : "0");
  }
  // The host's options: this plug-in folder, and this store unless another
  // is given.
  mailhost::HostOptions options(const std::string &storeDir = "") const {
    mailhost::HostOptions o;
    o.pluginDir = plugins.path();
    o.storeDir = storeDir.empty() ? store.path() : storeDir;
    o.showCommand = SW_SHOWNOACTIVATE;
    return o;
  }
};

} // namespace satchel_test
