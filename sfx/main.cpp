// The self-extractor: a program file whose own image is followed by a ZIP
// archive. Run by a person it shows a window; run by a script with -d, -t,
// -o and -q it works without asking and answers with its exit code.
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "base/filesource.h"
#include "base/text.h"
#include "sfx/archive.h"
#include "sfx/extract.h"
#include "sfx/lean.h"
#include "sfx/texts.h"
#include "sfx/window.h"

namespace sfx {
namespace {

struct Args {
  Options options;
  bool folderGiven = false;
  bool quiet = false;
  bool bad = false;
};

Args ParseArgs() {
  Args a;
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    std::wstring s = argv[i];
    if (s.size() != 2 || (s[0] != L'-' && s[0] != L'/')) {
      a.bad = true;
      continue;
    }
    switch (s[1] | 0x20) {
    case L'd':
      if (i + 1 < argc && argv[i + 1][0]) {
        a.options.folder = argv[++i];
        a.folderGiven = true;
      } else {
        a.bad = true;
      }
      break;
    case L't':
      a.options.testOnly = true;
      break;
    case L'o':
      a.options.overwrite = true;
      break;
    case L'q':
      a.quiet = true;
      break;
    default:
      a.bad = true;
    }
  }
  LocalFree(argv);
  return a;
}

std::wstring ProgramPath() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
    if (n < buf.size())
      return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

// A new folder beside the program, named after it.
std::wstring ProposedFolder(const std::wstring &program) {
  std::size_t slash = program.find_last_of(L"\\/:");
  std::size_t dot = program.find_last_of(L'.');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash + 1))
    return program.substr(0, dot);
  return program + L".files";
}

// Writes to the standard handle we were given or, failing that, to the
// console of the process that started us.
void Print(DWORD which, const std::wstring &text) {
  HANDLE h = GetStdHandle(which);
  if (!h || h == INVALID_HANDLE_VALUE) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
      return;
    h = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      return;
    SetStdHandle(which, h);
  }
  std::wstring line = text + L"\r\n";
  DWORD n, mode;
  if (GetConsoleMode(h, &mode)) {
    WriteConsoleW(h, line.data(), DWORD(line.size()), &n, nullptr);
  } else {
    std::string bytes = satchel::WideToAnsi(line);
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
  }
}

// A message for a person: on the console and, unless told to be quiet, in a box.
void Tell(const std::wstring &text, bool quiet) {
  Print(STD_ERROR_HANDLE, text);
  if (!quiet)
    MessageBoxW(nullptr, text.c_str(), satchel::AnsiToWide(Text(kTitle)).c_str(), MB_OK | MB_ICONERROR);
}

class ConsoleSink : public Sink {
public:
  void Progress(uint64_t, uint64_t, const std::wstring &) override {}
  void Report(const std::wstring &message) override { Print(STD_ERROR_HANDLE, message); }
  // Nobody to ask: an existing file stays unless -o was given.
  Answer AskOverwrite(const std::wstring &) override { return Answer::No; }
  bool Cancelled() override { return false; }
};

int Main() {
  Args args = ParseArgs();
  g_quiet = args.quiet;
  std::wstring program = ProgramPath();
  if (args.bad) {
    Tell(Format(kUsage, {program.substr(program.find_last_of(L"\\/:") + 1)}), args.quiet);
    return kExitUsage;
  }
  satchel::FileSource file(
      satchel::UniqueFile(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file.IsOpen()) {
    Tell(Format(kCannotOpen, {program}), args.quiet);
    return kExitArchive;
  }
  // Thousands of local headers and small entries are read in order.
  satchel::ReadAhead bytes(file);
  Archive archive;
  Msg error;
  if (!archive.Load(bytes, ImageEnd(bytes), error)) {
    Tell(Format(error), args.quiet);
    return kExitArchive;
  }
  if (!args.folderGiven)
    args.options.folder = ProposedFolder(program);

  if (!args.quiet)
    return RunWindow(archive, program, args.options, args.folderGiven || args.options.testOnly);

  ConsoleSink sink;
  Outcome outcome = Extract(archive, args.options, sink);
  Print(outcome.Ok() ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, Summary(outcome, args.options));
  return ExitCodeOf(outcome);
}

} // namespace
} // namespace sfx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return sfx::Main(); }
