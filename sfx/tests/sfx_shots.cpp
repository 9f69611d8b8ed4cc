// A screenshot of the self-extractor's window as a receiver first sees it:
// a program made of the built sfx32.dat and a small archive written by our
// ZIP32.DLL is started as a process of its own, its window is captured, and
// it is closed with Cancel. scripts/screenshots runs this under code page 932.
//   sfx_shots <out folder> [names...]   (no names: every window)
//   sfx_shots --list
//   sfx_shots --layouts   (none: the window is laid out in dialog units, so
//                          its size in pixels follows the dialog font)
#include <windows.h>

#include <string>
#include <vector>

#include "base/files.h"
#include "sfx/resource.h"
#include "tests/uidriver/uidriver.h"
#include "zip32/zip32api.h"

#include "base/module.h"

namespace ud = satchel::uidriver;

namespace {

constexpr char kShotName[] = "sfx";

// The folder of this program's build: <build>\tests\sfx_shots.exe.
std::string BuildFolder() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string s(self, n);
  s.erase(s.find_last_of('\\'));
  return s.substr(0, s.find_last_of('\\') + 1);
}

bool WriteBytes(const std::string &path, const std::string &bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  DWORD n = 0;
  BOOL ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
  CloseHandle(h);
  return ok && n == bytes.size();
}

std::string ReadBytes(const std::string &path) {
  std::string out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return out;
  char buf[65536];
  DWORD n;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n)
    out.append(buf, n);
  CloseHandle(h);
  return out;
}

int WINAPI Quiet(LPSTR, unsigned long length) { return int(length); }
int WINAPI NoComment(LPSTR) { return 0; }
int WINAPI NoPassword(LPSTR, int, LPCSTR, LPCSTR) { return 1; }
int WINAPI GoOn(LPCSTR, unsigned long) { return 0; }

// Packs `names` (relative to `root`) into `zip` with the built ZIP32.DLL,
// through its published interface as any caller would.
bool Pack(const std::string &root, std::vector<std::string> names, const std::string &zip) {
  HMODULE lib = LoadLibraryA((BuildFolder() + "dist\\ZIP32.DLL").c_str());
  if (!lib)
    return false;
  auto init = satchel::ProcAddress<ZPINIT_FN>(lib, "ZpInit");
  auto set = satchel::ProcAddress<ZPSETOPTIONS_FN>(lib, "ZpSetOptions");
  auto archive = satchel::ProcAddress<ZPARCHIVE_FN>(lib, "ZpArchive");
  bool ok = false;
  if (init && set && archive) {
    ZIPUSERFUNCTIONS user{Quiet, NoComment, NoPassword, GoOn};
    init(&user);
    std::string rootCopy = root;
    ZPOPT o{};
    o.szRootDir = &rootCopy[0];
    set(&o);
    std::vector<char *> argv;
    for (auto &n : names)
      argv.push_back(&n[0]);
    std::string zipCopy = zip;
    ZCL c{int(argv.size()), &zipCopy[0], argv.data()};
    ok = archive(c) == 0;
  }
  FreeLibrary(lib);
  return ok;
}

struct Search {
  DWORD pid;
  HWND hit;
};

BOOL CALLBACK Visit(HWND w, LPARAM lp) {
  auto *s = reinterpret_cast<Search *>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == s->pid && IsWindowVisible(w) && GetDlgItem(w, IDC_FOLDER)) {
    s->hit = w;
    return FALSE;
  }
  return TRUE;
}

// The self-extractor's main window in process `pid`, once it shows.
HWND WaitForMainWindow(DWORD pid) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20)) {
    Search s{pid, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    if (s.hit)
      return s.hit;
  }
  return nullptr;
}

// The window's font is MS Shell Dlg 2, that is Tahoma, which has no Japanese
// letters: a Japanese Windows links it to its Japanese UI font. The Wine
// prefix links it to fonts it does not have, so while the program runs,
// Tahoma is linked first to the Japanese font of the Wine root (IPA Gothic),
// as Windows does; the prefix's own link comes back afterwards.
class JapaneseFontLink {
public:
  JapaneseFontLink() {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key_, L"Tahoma", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
      old_.resize(size / sizeof(wchar_t));
      had_ =
          RegQueryValueExW(key_, L"Tahoma", nullptr, &type, reinterpret_cast<BYTE *>(&old_[0]), &size) == ERROR_SUCCESS;
      old_.resize(size / sizeof(wchar_t));
    }
    std::wstring linked = std::wstring(L"IPAG.TTF,IPAGothic") + L'\0' + (had_ ? old_ : std::wstring(1, L'\0'));
    Set(linked);
  }
  ~JapaneseFontLink() {
    if (!key_)
      return;
    if (had_)
      Set(old_);
    else
      RegDeleteValueW(key_, L"Tahoma");
    RegCloseKey(key_);
  }
  JapaneseFontLink(const JapaneseFontLink &) = delete;
  JapaneseFontLink &operator=(const JapaneseFontLink &) = delete;

private:
  void Set(const std::wstring &value) {
    RegSetValueExW(key_, L"Tahoma", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(value.data()),
                   DWORD(value.size() * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  std::wstring old_;
  bool had_ = false;
};

// Where a receiver typically finds the program: the public Downloads folder
// (the temporary folder when there is none).
std::string DownloadsFolder() {
  char buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("PUBLIC", buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    std::string d = std::string(buf, n) + "\\Downloads";
    CreateDirectoryA(d.c_str(), nullptr);
    DWORD a = GetFileAttributesA(d.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
      return d;
  }
  n = GetTempPathA(MAX_PATH, buf);
  return std::string(buf, n > 0 ? n - 1 : 0);
}

// Makes the program, runs it, captures its window and cancels it.
bool ShootSfx(const std::string &out) {
  std::string downloads = DownloadsFolder();
  std::string work = downloads + "\\satchel-sfx-shot-" + std::to_string(GetCurrentProcessId());
  satchel::RemoveTree(work);
  std::string files = work + "\\files";
  CreateDirectoryA(work.c_str(), nullptr);
  CreateDirectoryA(files.c_str(), nullptr);
  const std::vector<std::pair<std::string, std::string>> sample = {
      {"見積書.xls", std::string(30000, 'x')},
      {"打ち合わせメモ.txt", "来週の予定\r\n"},
      {"report.doc", std::string(12000, 'r')},
  };
  std::vector<std::string> names;
  for (const auto &[name, bytes] : sample) {
    WriteBytes(files + "\\" + name, bytes);
    names.push_back(name);
  }
  std::string zip = work + "\\sample.zip";
  std::string program = downloads + "\\資料一式.exe";
  std::string stub = ReadBytes(BuildFolder() + "dist\\sfx32.dat");
  bool ok = !stub.empty() && Pack(files, names, zip) && WriteBytes(program, stub + ReadBytes(zip));

  JapaneseFontLink link;
  PROCESS_INFORMATION pi{};
  if (ok) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + program + "\"";
    ok = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si, &pi);
  }
  if (ok) {
    HWND w = WaitForMainWindow(pi.dwProcessId);
    if (w) {
      // Let it paint itself before it is captured.
      ud::Sync(w);
      ok = ud::SaveShot(w, out, kShotName);
      PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(w, IDCANCEL)));
    } else {
      ok = false;
    }
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  DeleteFileA(program.c_str());
  satchel::RemoveTree(work);
  return ok;
}

} // namespace

int main(int argc, char **argv) { return ud::RunShots(argc, argv, {{kShotName, nullptr, ShootSfx}}); }
