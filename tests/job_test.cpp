// The compression job seen from outside, through the mail program: the real
// Satchel.dll loads a scripted ZIP32.DLL that prints chosen texts through
// the plug-in's print callback and pauses between them, so the test reads
// the progress dialog's bar and label while the "library" works, and then
// the result dialog and what was attached.
#include "tests/folders_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace satchel_test;

namespace {

// The double's script and record, and the events its "pause" uses.
class ScriptedZip {
public:
  ScriptedZip() {
    std::string pid = std::to_string(GetCurrentProcessId());
    paused_ = CreateEventA(nullptr, FALSE, FALSE, ("satchel-zip32-paused-" + pid).c_str());
    resume_ = CreateEventA(nullptr, FALSE, FALSE, ("satchel-zip32-resume-" + pid).c_str());
    SetEnvironmentVariableA("SATCHEL_ZIP32_SCRIPT", (dir_ / "script.txt").c_str());
    SetEnvironmentVariableA("SATCHEL_ZIP32_RECORD", (dir_ / "record.txt").c_str());
  }
  ~ScriptedZip() {
    SetEnvironmentVariableA("SATCHEL_ZIP32_SCRIPT", nullptr);
    SetEnvironmentVariableA("SATCHEL_ZIP32_RECORD", nullptr);
    CloseHandle(paused_);
    CloseHandle(resume_);
  }
  void Script(const std::vector<std::string> &lines) {
    std::string all;
    for (const auto &l : lines)
      all += l + "\n";
    WriteFile(dir_ / "script.txt", all);
    DeleteFileA((dir_ / "record.txt").c_str());
  }
  bool WaitPaused(DWORD ms = 20000) { return WaitForSingleObject(paused_, ms) == WAIT_OBJECT_0; }
  void Resume() { SetEvent(resume_); }
  // key=value lines of the last call; "name" collects every name.
  std::multimap<std::string, std::string> Record() const {
    std::multimap<std::string, std::string> r;
    std::istringstream in(ReadFile(dir_ / "record.txt"));
    std::string line;
    while (std::getline(in, line)) {
      size_t eq = line.find('=');
      if (eq != std::string::npos)
        r.emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    return r;
  }
  static std::string One(const std::multimap<std::string, std::string> &r, const std::string &key) {
    auto it = r.find(key);
    return it == r.end() ? "(missing)" : it->second;
  }
  static std::vector<std::string> All(const std::multimap<std::string, std::string> &r, const std::string &key) {
    std::vector<std::string> v;
    for (auto [it, end] = r.equal_range(key); it != end; ++it)
      v.push_back(it->second);
    return v;
  }

private:
  TempFolder dir_;
  HANDLE paused_, resume_;
};

struct Progress {
  bool shown = false;
  int maximum = -1, minimum = -1, position = -1;
  std::string label;
};

// Read while the double pauses inside ZpArchive; it handles sent messages.
Progress ReadProgress() {
  Progress p;
  HWND dlg = uidriver::WaitForWindow("Compressing...", "TCompressingDlg", 5000);
  if (!dlg)
    return p;
  p.shown = true;
  HWND bar = ChildOfClass(dlg, PROGRESS_CLASSA);
  DWORD_PTR v = 0;
  SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 5000, &v);
  p.maximum = int(v);
  SendMessageTimeoutA(bar, PBM_GETRANGE, TRUE, 0, SMTO_NORMAL, 5000, &v);
  p.minimum = int(v);
  SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &v);
  p.position = int(v);
  p.label = uidriver::WindowText(ChildOfClass(dlg, "Static"));
  return p;
}

// The result dialog's text and its number of lines; then Ok.
struct Shown {
  bool found = false;
  std::string text;
  int lines = 0;
};
Shown ReadAndCloseResult(DWORD ms = 20000) {
  Shown r;
  HWND dlg = uidriver::WaitForWindow("Result", "TResultForm", ms);
  if (!dlg)
    return r;
  r.found = true;
  HWND memo = ChildOfClass(dlg, "Edit");
  r.text = uidriver::WindowText(memo);
  DWORD_PTR n = 0;
  SendMessageTimeoutA(memo, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 5000, &n);
  r.lines = int(n);
  uidriver::Click(uidriver::FindControl(dlg, "Ok"));
  uidriver::WaitGone(dlg);
  return r;
}

// An empty ZIP archive: just the end record.
const std::string kEmptyZip = std::string("PK\x05\x06", 4) + std::string(18, '\0');
std::string Escaped(const std::string &bytes) {
  std::string out;
  char hex[8];
  for (unsigned char c : bytes) {
    std::snprintf(hex, sizeof hex, "\\x%02x", c);
    out += hex;
  }
  return out;
}

void WaitForName(HWND dlg, const std::string &name) {
  ASSERT_TRUE(uidriver::WaitUntil([&] { return ArchiveNameOf(dlg) == name; })) << ArchiveNameOf(dlg);
}

} // namespace

TEST(PrintCallback, AddingLinesMoveBarAndLabelAndEveryTextIsLogged) {
  Session s(ZipLibrary::Scripted);
  s.Set("Options", "ShowResult", "1");
  std::vector<std::string> files = {s.files / "a.txt", s.files / "b.txt", s.files / "c.txt"};
  for (const auto &f : files)
    WriteFile(f, f);
  ScriptedZip zip;
  zip.Script({"pause",
              "print   adding: a.txt", // the bar steps, the label shows it
              "print  (stored 0%)\\n", "pause",
              // Not one of these is an "  adding" text.
              "print   Adding: b\\n", "print  adding: b\\n", "print   addin", "print \\n", "print \\tzip warning: x\\n",
              "pause",
              "print   adding", // exactly the eight characters
              "pause", "print \\r", "print   adding: c.txt", "print  (deflated 5%)\\r\\n", "pause",
              "write " + Escaped(kEmptyZip)});

  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(compose);
  ASSERT_NE(dlg, nullptr);
  Drop(dlg, files);
  WaitForName(dlg, "a.zip");
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));

  struct Expected {
    int position;
    std::string label;
  } const steps[] = {
      {0, "StatusLabel"}, {1, "  adding: a.txt"}, {1, "  adding: a.txt"}, {2, "  adding"}, {3, "  adding: c.txt"}};
  for (const auto &e : steps) {
    ASSERT_TRUE(zip.WaitPaused()) << "the library was not called, or did not get this far";
    Progress p = ReadProgress();
    zip.Resume();
    EXPECT_TRUE(p.shown);
    EXPECT_EQ(p.minimum, 0);
    EXPECT_EQ(p.maximum, 3);
    EXPECT_EQ(p.position, e.position) << e.label;
    EXPECT_EQ(p.label, e.label);
  }

  Shown result = ReadAndCloseResult();
  ASSERT_TRUE(result.found);
  // Every text in order, nothing between; each lone LF or CR a line break.
  EXPECT_EQ(result.text, "  adding: a.txt (stored 0%)\r\n"
                         "  Adding: b\r\n"
                         " adding: b\r\n"
                         "  addin\r\n"
                         "\tzip warning: x\r\n"
                         "  adding\r\n"
                         "  adding: c.txt (deflated 5%)\r\n");
  EXPECT_EQ(result.lines, 8);

  auto att = WaitForAttachment(host, compose);
  host.Stop();
  EXPECT_EQ(att.fileName, "a.zip");
  EXPECT_EQ(att.mimeType, "application/zip");
  EXPECT_EQ(att.bytes, kEmptyZip);

  // The library got the listed paths in list order, junked folders and no
  // root, and the archive's path in a folder below the temporary folder.
  auto rec = zip.Record();
  EXPECT_EQ(ScriptedZip::All(rec, "name"), files);
  EXPECT_EQ(ScriptedZip::One(rec, "junk"), "-1");
  EXPECT_EQ(ScriptedZip::One(rec, "root"), "(null)");
  std::string archive = ScriptedZip::One(rec, "archive");
  EXPECT_EQ(archive.rfind(TempRoot(), 0), 0u) << archive;
  EXPECT_EQ(archive.substr(archive.size() - 6), "\\a.zip");
}

TEST(PrintCallback, AFailedRunShowsTheLibrarysWordsThenCompressionFailed) {
  Session s(ZipLibrary::Scripted);
  s.Set("Options", "ShowResult", "1");
  WriteFile(s.files / "a.txt", "a");
  ScriptedZip zip;
  zip.Script({"print \\nzip error: Nothing to do! (a.zip)\\n", "return 12"});
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(compose);
  ASSERT_NE(dlg, nullptr);
  Drop(dlg, {s.files / "a.txt"});
  WaitForName(dlg, "a.zip");
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
  Shown result = ReadAndCloseResult();
  auto failed = AnswerBox("エラー", "OK");
  host.Stop();
  ASSERT_TRUE(result.found) << "the result dialog belongs to a failed run too";
  EXPECT_EQ(result.text, "\r\nzip error: Nothing to do! (a.zip)\r\n");
  EXPECT_EQ(failed.text, "compression failed.");
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  EXPECT_EQ(s.Get("Options", "ShowResult"), "1") << "nothing is saved after a failure";
  EXPECT_EQ(s.Get("Options", "IsSfx"), "(none)");
}

TEST(SelfExtract, WithoutTheStubTheProgressShowsTheStepAndTheLogIsStillShown) {
  Session s(ZipLibrary::Scripted); // no sfx32.dat beside the double
  s.Set("Options", "ShowResult", "1");
  WriteFile(s.files / "a.txt", "a");
  ScriptedZip zip;
  zip.Script({"print   adding: a.txt (stored 0%)\\n", "write " + Escaped(kEmptyZip)});
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(compose);
  ASSERT_NE(dlg, nullptr);
  ASSERT_TRUE(uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), true));
  Drop(dlg, {s.files / "a.txt"});
  WaitForName(dlg, "a.exe");
  ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));

  // The stub's message box comes while the progress dialog still shows.
  auto stubBox = AnswerBox("Satchel", "");
  Progress p = ReadProgress();
  ASSERT_TRUE(stubBox.hwnd);
  uidriver::Answer(stubBox.hwnd, "OK");
  Shown result = ReadAndCloseResult();
  auto failed = AnswerBox("エラー", "OK");
  host.Stop();

  EXPECT_EQ(stubBox.text, "sfx32.dat not found");
  EXPECT_TRUE(p.shown);
  EXPECT_EQ(p.label, "Creating Self-extract archive...");
  EXPECT_EQ(p.position, 1);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.text, "  adding: a.txt (stored 0%)\r\n");
  EXPECT_EQ(failed.text, "compression failed.");
  EXPECT_TRUE(host.host().Attachments(compose).empty());
  std::string archive = ScriptedZip::One(zip.Record(), "archive");
  EXPECT_EQ(archive.substr(archive.size() - 6), "\\a.zip") << "the library writes the ZIP name";
}

TEST(SelfExtract, TheProgramIsTheStubFollowedByTheArchiveWhateverItsSize) {
  Session s(ZipLibrary::Scripted);
  const std::string stub = "MZ stub of the test\r\n" + std::string(3000, 's');
  WriteFile(s.plugins / "sfx32.dat", stub);
  WriteFile(s.files / "notes", "n");
  ScriptedZip zip;
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  // Empty, exactly one copy block, several blocks with a short last one.
  for (size_t size : {size_t(0), size_t(2048), size_t(5000)}) {
    std::string archive;
    for (size_t i = 0; i < size; ++i)
      archive += char('A' + i % 26);
    zip.Script({"print   adding: notes (stored 0%)\\n", "write " + archive});
    HWND compose = host.OpenCompose(100, 50);
    HWND dlg = OpenDialog(compose);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), true));
    Drop(dlg, {s.files / "notes"});
    // A name without a dot gets the extension appended.
    WaitForName(dlg, "notes.exe");
    ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
    auto att = WaitForAttachment(host, compose);
    EXPECT_EQ(att.fileName, "notes.exe") << size;
    EXPECT_EQ(att.bytes.size(), stub.size() + size);
    EXPECT_TRUE(att.bytes == stub + archive) << size;
    std::string given = ScriptedZip::One(zip.Record(), "archive");
    EXPECT_EQ(given.substr(given.size() - 10), "\\notes.zip");
  }
  host.Stop();
  EXPECT_EQ(s.Get("Options", "IsSfx"), "1");
}

TEST(FolderJob, ADroppedFolderGoesToTheLibraryAsRootAndRelativeNames) {
  Session s(ZipLibrary::Scripted);
  s.FolderOptions(false, true);
  std::string proj = s.files / "proj";
  CreateDirectoryA(proj.c_str(), nullptr);
  CreateDirectoryA((proj + "\\sub").c_str(), nullptr);
  WriteFile(proj + "\\b.txt", "b");
  WriteFile(proj + "\\sub\\a.txt", "a");
  ScriptedZip zip;
  zip.Script({"print   adding: b.txt\\n", "print   adding: sub/a.txt\\n", "write " + Escaped(kEmptyZip)});
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);
  HWND dlg = OpenDialog(compose);
  ASSERT_NE(dlg, nullptr);
  Drop(dlg, {proj});
  auto question = AnswerBox("確認", "はい(&Y)");
  auto att = WaitForAttachment(host, compose);
  host.Stop();
  EXPECT_EQ(question.buttons, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)", "キャンセル"}));
  EXPECT_EQ(att.fileName, "proj.zip");
  auto rec = zip.Record();
  EXPECT_EQ(ScriptedZip::One(rec, "root"), proj);
  EXPECT_EQ(ScriptedZip::One(rec, "junk"), "0") << "left as the library had it";
  auto names = ScriptedZip::All(rec, "name");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"b.txt", "sub\\a.txt"}));
}

namespace {

// This process's private build folders in the temporary folder (other test
// programs may be building at the same time).
std::vector<std::string> WorkFolders() {
  std::vector<std::string> found;
  std::string ours = "Satchel-" + std::to_string(GetCurrentProcessId()) + "-";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((TempRoot() + ours + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do
      found.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  return found;
}

} // namespace

// A library that skips a file, warns and still writes the archive: nothing
// is attached, the user reads the warning about that file, and nothing of
// the build stays behind. Info-ZIP answers 0 for a name it did not match,
// 18 for a file it could not open.
TEST(UnfinishedArchive, AFileTheLibrarySkippedIsReportedAndNothingIsAttached) {
  Session s(ZipLibrary::Scripted);
  s.Set("Options", "ShowResult", "1");
  std::string kept = s.files / "kept.txt", gone = s.files / "gone.txt";
  WriteFile(kept, "kept");
  WriteFile(gone, "gone");
  ScriptedZip zip;
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);

  struct Case {
    const char *what;
    bool vanishes; // else held open by another program
    std::vector<std::string> script;
    std::string warning;
  } const cases[] = {
      {"vanished, answer 0", true, {"names", "write " + Escaped(kEmptyZip)}, "zip warning: name not matched: " + gone},
      {"unreadable, answer 18",
       false,
       {"names", "print \\tzip warning: Not all files were readable\\n", "write " + Escaped(kEmptyZip), "return 18"},
       "zip warning: could not open for reading: " + gone},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(gone, "gone");
    zip.Script(c.script);
    auto before = WorkFolders();
    HWND dlg = OpenDialog(compose);
    ASSERT_NE(dlg, nullptr);
    Drop(dlg, {kept, gone});
    WaitForName(dlg, "kept.zip");
    // Between the drop and Attach the file goes away, or is held open.
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.vanishes)
      DeleteFileA(gone.c_str());
    else
      held = CreateFileA(gone.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(uidriver::Click(uidriver::FindControl(dlg, "A&ttach")));
    Shown result = ReadAndCloseResult();
    auto failed = AnswerBox("エラー", "OK");
    ASSERT_TRUE(uidriver::WaitGone(dlg));
    uidriver::Sync(compose);
    if (held != INVALID_HANDLE_VALUE)
      CloseHandle(held);

    EXPECT_TRUE(result.found);
    EXPECT_NE(result.text.find("  adding: kept.txt"), std::string::npos) << result.text;
    EXPECT_EQ(failed.text.rfind("compression failed.", 0), 0u) << failed.text;
    EXPECT_NE(failed.text.find(c.warning), std::string::npos) << failed.text;
    EXPECT_EQ(failed.text.find("adding"), std::string::npos) << "only what concerns the skipped file";
    EXPECT_EQ(failed.text.find("Not all files"), std::string::npos) << "only what concerns the skipped file";
    EXPECT_TRUE(host.host().Attachments(compose).empty());
    EXPECT_EQ(WorkFolders(), before) << "the partial archive or its folder is left behind";
  }
  host.Stop();
  EXPECT_EQ(s.Get("Options", "IsSfx"), "(none)") << "nothing is saved after a failure";
}

// Folder compression hands over files relative to the base folder; a
// library that also adds an entry for a folder prints more "  adding" lines
// than it got names, and that archive is complete. One line fewer than the
// names, with no warning and answer 0, is not; nor is a self-extracting
// program built from it.
TEST(UnfinishedArchive, FolderEntriesCountAsExtraAndOneFileTooFewIsAFailure) {
  Session s(ZipLibrary::Scripted);
  s.FolderOptions(false, true);
  const std::string stub = "MZ stub";
  WriteFile(s.plugins / "sfx32.dat", stub);
  std::string proj = s.files / "proj";
  CreateDirectoryA(proj.c_str(), nullptr);
  CreateDirectoryA((proj + "\\sub").c_str(), nullptr);
  WriteFile(proj + "\\b.txt", "b");
  WriteFile(proj + "\\sub\\a.txt", "a");
  ScriptedZip zip;
  mailhost::HostThread host(s.options());
  ASSERT_TRUE(host.started());
  HWND compose = host.OpenCompose(100, 50);

  struct Case {
    bool sfx;
    std::vector<std::string> lines;
    bool attached;
  } const cases[] = {
      {false, {"b.txt", "sub/", "sub/a.txt"}, true},
      {false, {"b.txt"}, false},
      {true, {"sub/a.txt"}, false},
  };
  size_t attached = 0;
  for (const auto &c : cases) {
    std::vector<std::string> script;
    for (const auto &l : c.lines)
      script.push_back("print   adding: " + l + " (stored 0%)\\n");
    script.push_back("write " + Escaped(kEmptyZip));
    zip.Script(script);
    auto before = WorkFolders();
    HWND dlg = OpenDialog(compose);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(uidriver::SetChecked(uidriver::FindControl(dlg, "&Self-extract"), c.sfx));
    Drop(dlg, {proj});
    AnswerBox("確認", "はい(&Y)");
    if (c.attached) {
      auto att = WaitForAttachment(host, compose);
      EXPECT_EQ(att.fileName, "proj.zip");
      ++attached;
    } else {
      auto failed = AnswerBox("エラー", "OK");
      EXPECT_EQ(failed.text, "compression failed.") << c.lines.size();
    }
    ASSERT_TRUE(uidriver::WaitGone(dlg));
    uidriver::Sync(compose);
    EXPECT_EQ(host.host().Attachments(compose).size(), attached);
    EXPECT_EQ(WorkFolders(), before);
    EXPECT_EQ(ScriptedZip::All(zip.Record(), "name").size(), 2u);
  }
  host.Stop();
}
