// The benchmark's driver: the mail program with the real Satchel.dll, played
// by a user thread. Run by run_bench.py, which makes the files.
//
//   attach_bench.exe attach FOLDER ROUNDS
//     Zip and attach every file of FOLDER (a drop of the files, then Attach),
//     from the menu pick until the host holds the attachment; alternating
//     with a bare ZpArchive call of the same ZIP32.DLL on the same files.
//     Prints the medians and their ratio.
//   attach_bench.exe scan FOLDER
//     Drop FOLDER, answer No, and time until the dialog lists its files;
//     prints the time and the process's memory peaks.
#include "mailhost/host_api.h"
#include "tests/folders_support.h"
#include "zip32/zip32api.h"

#include "base/module.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

using namespace satchel_test;

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::vector<std::string> FilesIn(const std::string &folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return out;
  do
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      out.push_back(folder + "\\" + fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

long long FileSize(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a))
    return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// The moment the host's BKA_CompAttachFile has read the file, and its size.
std::atomic<double> g_seenAt{0};
std::atomic<long long> g_seenSize{0};

// The bare library call, as the plug-in makes it for the Attach button:
// full paths, folders junked, the printed text collected.
std::string g_printed;
int WINAPI Collect(char *text, unsigned long length) {
  g_printed += text;
  return int(length);
}
int WINAPI NoComment(char *text) { return int(reinterpret_cast<INT_PTR>(text)); }
int WINAPI NoPassword(char *, int, const char *, const char *) { return 1; }
int WINAPI NoService(const char *, unsigned long) { return 0; }

double BareZip(HMODULE zip, const std::vector<std::string> &files, const std::string &archive, long long &size) {
  auto init = satchel::ProcAddress<ZPINIT_FN>(zip, "ZpInit");
  auto get = satchel::ProcAddress<ZPGETOPTIONS_FN>(zip, "ZpGetOptions");
  auto set = satchel::ProcAddress<ZPSETOPTIONS_FN>(zip, "ZpSetOptions");
  auto run = satchel::ProcAddress<ZPARCHIVE_FN>(zip, "ZpArchive");
  DeleteFileA(archive.c_str());
  double start = Now();
  ZIPUSERFUNCTIONS cb{};
  cb.print = &Collect;
  cb.comment = &NoComment;
  cb.password = &NoPassword;
  cb.ServiceApplication = &NoService;
  init(&cb);
  g_printed.clear();
  ZPOPT o = get();
  o.fJunkDir = -1;
  o.szRootDir = nullptr;
  set(&o);
  std::vector<std::string> copies = files;
  std::vector<char *> names;
  for (auto &c : copies)
    names.push_back(c.data());
  std::string name = archive;
  ZCL zcl{int(names.size()), name.data(), names.data()};
  run(zcl);
  double t = Now() - start;
  size = FileSize(archive);
  DeleteFileA(archive.c_str());
  return t;
}

int Attach(const std::string &folder, int rounds) {
  std::vector<std::string> files = FilesIn(folder);
  if (files.empty()) {
    std::fprintf(stderr, "no files in %s\n", folder.c_str());
    return 2;
  }
  long long bytes = 0;
  for (const auto &f : files)
    bytes += FileSize(f);
  Session s;
  mailhost::HostThread host(s.options());
  if (!host.started())
    return 2;
  // The host stores nothing and writes no message: its copy of the file
  // taken during the call is what ends the measurement.
  mailhost::SetAttachHook([](const mailhost::Attachment &a) {
    g_seenSize = a.readable ? static_cast<long long>(a.bytes.size()) : -1;
    g_seenAt = Now();
  });
  // The same module the plug-in will use: its copy in the plug-in folder.
  HMODULE zip = LoadLibraryA((s.plugins / "ZIP32.DLL").c_str());
  if (!zip)
    return 2;
  std::string bareArchive = TempRoot() + "attach-bench-bare.zip";
  std::string expectedName = files[0].substr(files[0].find_last_of("\\:") + 1);
  expectedName = expectedName.substr(0, expectedName.rfind('.')) + ".zip";
  std::vector<double> whole, bare;
  long long attachedSize = 0, bareSize = 0;
  for (int round = 0; round <= rounds; ++round) {
    HWND compose = host.OpenCompose(100, 50);
    double start = Now();
    HWND dlg = OpenDialog(compose);
    if (!dlg)
      return 3;
    double opened = Now();
    Drop(dlg, files);
    if (!uidriver::WaitUntil([&] { return ArchiveNameOf(dlg) == expectedName; }, 60000))
      return 3;
    double dropped = Now();
    g_seenAt = 0;
    uidriver::Click(uidriver::FindControl(dlg, "A&ttach"));
    if (!uidriver::WaitUntil([&] { return g_seenAt > 0; }, 120000))
      return 3;
    double t = g_seenAt - start;
    uidriver::WaitGone(dlg);
    std::printf("  open %.3f s, drop %.3f s, attach %.3f s\n", opened - start, dropped - opened, g_seenAt - dropped);
    attachedSize = g_seenSize;
    double b = BareZip(zip, files, bareArchive, bareSize);
    // Round 0 warms the caches and Wine on both sides and is not counted.
    if (round > 0) {
      whole.push_back(t);
      bare.push_back(b);
    }
    std::printf("round %d: whole command %.3f s, bare ZpArchive %.3f s\n", round, t, b);
  }
  host.Stop();
  FreeLibrary(zip);
  double w = Median(whole), z = Median(bare);
  std::printf("files: %zu, %.1f MiB; archive %lld bytes attached, %lld bytes bare\n", files.size(), bytes / 1048576.0,
              attachedSize, bareSize);
  std::printf("median whole command: %.3f s\nmedian bare ZpArchive: %.3f s\nratio: %.3f (goal <= 1.10)\n", w, z,
              z > 0 ? w / z : 0.0);
  return 0;
}

// The peer of the dialog's scan: the same depth-first walk, counting.
size_t Walk(const std::string &folder) {
  size_t n = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return 0;
  do {
    std::string name = fd.cFileName;
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      ++n;
    else if (name != "." && name != "..")
      n += Walk(folder + "\\" + name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

int Scan(const std::string &folder) {
  Walk(folder); // warms the caches for both
  Session s;
  mailhost::HostThread host(s.options());
  if (!host.started())
    return 2;
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(compose);
  if (!dlg)
    return 3;
  PROCESS_MEMORY_COUNTERS before{};
  before.cb = sizeof before;
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  Drop(dlg, {folder});
  HWND box = uidriver::WaitForWindow("確認", "", 20000);
  if (!box)
    return 3;
  double start = Now();
  uidriver::Answer(box, "いいえ(&N)");
  // The scan runs inside the drop's handler; the name is set after it.
  // One message at a time, answered once the handler has returned: polling
  // the dialog's controls meanwhile would slow the scan down.
  HWND edit = ChildOfClass(dlg, "Edit");
  for (double limit = Now() + 600; uidriver::WindowText(edit).empty();)
    if (Now() > limit)
      return 3;
  double t = Now() - start;
  size_t listed = ListOf(dlg).size();
  PROCESS_MEMORY_COUNTERS after{};
  after.cb = sizeof after;
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  uidriver::Click(uidriver::FindControl(dlg, "&Cancel"));
  uidriver::WaitGone(dlg);
  host.Stop();
  double walkStart = Now();
  size_t walked = Walk(folder);
  double walk = Now() - walkStart;
  std::printf("listed %zu files in %.3f s; a bare FindFirstFile walk finds %zu in %.3f s\n", listed, t, walked, walk);
  std::printf("working set before the drop: %.1f MiB; peak working set %.1f MiB; peak pagefile usage %.1f MiB "
              "(%.1f MiB before the drop)\n",
              before.WorkingSetSize / 1048576.0, after.PeakWorkingSetSize / 1048576.0,
              after.PeakPagefileUsage / 1048576.0, before.PeakPagefileUsage / 1048576.0);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "attach" && argc > 3)
    return Attach(argv[2], std::atoi(argv[3]));
  if (mode == "scan")
    return Scan(argv[2]);
  std::fprintf(stderr, "usage: attach_bench attach FOLDER ROUNDS | scan FOLDER\n");
  return 2;
}
