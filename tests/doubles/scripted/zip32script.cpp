// A ZIP32.DLL that follows a script instead of compressing, so a test can
// choose exactly what the caller's print callback receives and watch the
// caller's windows between two lines.
//
// SATCHEL_ZIP32_SCRIPT names the script, read at every ZpArchive call; one
// command a line, texts with the escapes \n \r \t \\ and \xHH:
//   print TEXT     hand TEXT to the print callback
//   pause          signal "satchel-zip32-paused-<pid>", then wait (30 s at
//                  most) for "satchel-zip32-resume-<pid>", handling only
//                  messages sent from other threads meanwhile
//   write TEXT     write TEXT as the whole archive file
//   names          go through the names handed over as Info-ZIP does:
//                  "  adding: NAME (stored 0%)" for a file it can read,
//                  "\tzip warning: name not matched: NAME" for one that is
//                  not there and "\tzip warning: could not open for
//                  reading: NAME" for one it cannot open, and go on
//   return N       answer N (0 when not given)
// SATCHEL_ZIP32_RECORD names a file that gets, per call, what the caller
// handed over: the archive name, szRootDir, fJunkDir and every name.
#define ZIP32_BUILDING
#include "zip32/zip32api.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

ZIPUSERFUNCTIONS g_callbacks{};
ZPOPT g_options{};

std::string Env(const char *name) {
  char buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string Unescape(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    if (c == 'n')
      out += '\n';
    else if (c == 'r')
      out += '\r';
    else if (c == 't')
      out += '\t';
    else if (c == 'x' && i + 2 < s.size()) {
      out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else
      out += c;
  }
  return out;
}

void Record(const std::string &line) {
  std::string path = Env("SATCHEL_ZIP32_RECORD");
  if (path.empty())
    return;
  std::ofstream f(path, std::ios::binary | std::ios::app);
  f << line << "\n";
}

void Print(const std::string &text) {
  if (!g_callbacks.print)
    return;
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  g_callbacks.print(buf.data(), static_cast<unsigned long>(text.size()));
}

// A name as Info-ZIP stores it: without its folders when they are junked,
// with "/" between them otherwise.
std::string Stored(std::string name) {
  if (g_options.fJunkDir) {
    size_t cut = name.find_last_of("\\/:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
  }
  for (char &c : name)
    if (c == '\\')
      c = '/';
  return name;
}

void Names(const ZCL &zcl) {
  std::string root = g_options.szRootDir ? g_options.szRootDir : "";
  if (!root.empty() && root.back() != '\\')
    root += '\\';
  for (int i = 0; i < zcl.argc; ++i) {
    std::string name = zcl.FNV[i];
    std::string path = root + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Print("\tzip warning: name not matched: " + name + "\n");
      continue;
    }
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
      Print("\tzip warning: could not open for reading: " + name + "\n");
      continue;
    }
    CloseHandle(f);
    Print("  adding: " + Stored(name) + " (stored 0%)\n");
  }
}

HANDLE NamedEvent(const char *what) {
  std::string name = std::string("satchel-zip32-") + what + "-" + std::to_string(GetCurrentProcessId());
  return CreateEventA(nullptr, FALSE, FALSE, name.c_str());
}

void Pause() {
  HANDLE paused = NamedEvent("paused"), resume = NamedEvent("resume");
  SetEvent(paused);
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = 30000 - (GetTickCount() - start);
    if (int(left) <= 0)
      break;
    DWORD r = MsgWaitForMultipleObjects(1, &resume, FALSE, left, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1)
      break;
    // Lets the test read this thread's windows; posted messages stay queued.
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(paused);
  CloseHandle(resume);
}

} // namespace

extern "C" {

void WINAPI ZpVersion(ZpVer *v) {
  if (v)
    std::memset(v, 0, sizeof *v);
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
  std::ostringstream rec;
  rec << "archive=" << (zcl.lpszZipFN ? zcl.lpszZipFN : "(null)") << "\n";
  rec << "root=" << (g_options.szRootDir ? g_options.szRootDir : "(null)") << "\n";
  rec << "junk=" << g_options.fJunkDir << "\n";
  rec << "argc=" << zcl.argc;
  for (int i = 0; i < zcl.argc; ++i)
    rec << "\nname=" << zcl.FNV[i];
  Record(rec.str());

  int answer = 0;
  std::ifstream script(Env("SATCHEL_ZIP32_SCRIPT"), std::ios::binary);
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::string word = line.substr(0, line.find(' '));
    std::string rest = line.size() > word.size() ? Unescape(line.substr(word.size() + 1)) : std::string();
    if (word == "print") {
      Print(rest);
    } else if (word == "pause") {
      Pause();
    } else if (word == "write" && zcl.lpszZipFN) {
      std::ofstream out(zcl.lpszZipFN, std::ios::binary | std::ios::trunc);
      out << rest;
    } else if (word == "names") {
      Names(zcl);
    } else if (word == "return") {
      answer = std::atoi(rest.c_str());
    }
  }
  return answer;
}
}
