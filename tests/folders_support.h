// Shared by the folder and job tests (the session is plugin_fixture.h's): drops as the shell makes them, the dialog's
// list and name, message boxes read and answered in turn, and archives kept with a list of what they must hold for the
// Linux-side checker.
#pragma once
#include "mailhost/drive.h"
#include "mailhost/host.h"
#include "tests/plugin_fixture.h"
#include "tests/uidriver/uidriver.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace satchel_test {

namespace uidriver = satchel::uidriver;

inline void Drop(HWND dlg, const std::vector<std::string> &paths) {
  PostMessageA(dlg, WM_DROPFILES, WPARAM(uidriver::MakeDrop(paths)), 0);
}

inline HWND OpenDialog(HWND compose) {
  if (!mailhost::PickMenuItem(compose, "Zip and attach..."))
    return nullptr;
  return uidriver::WaitForWindow("Zip and attach", "TZipListForm");
}

inline HWND ChildOfClass(HWND top, const std::string &cls) {
  for (const auto &c : uidriver::Controls(top))
    if (c.cls == cls)
      return c.hwnd;
  return nullptr;
}

inline std::string ArchiveNameOf(HWND dlg) { return uidriver::WindowText(ChildOfClass(dlg, "Edit")); }

// The dialog's list, read through its window.
inline std::vector<std::string> ListOf(HWND dlg) {
  HWND list = ChildOfClass(dlg, "ListBox");
  std::vector<std::string> out;
  DWORD_PTR n = 0;
  SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &n);
  for (DWORD_PTR i = 0; i < n; ++i) {
    DWORD_PTR len = 0;
    SendMessageTimeoutA(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, 5000, &len);
    std::string s(len + 1, '\0');
    SendMessageTimeoutA(list, LB_GETTEXT, i, LPARAM(s.data()), SMTO_NORMAL, 5000, &len);
    s.resize(len);
    out.push_back(s);
  }
  return out;
}

// Waits for the next window with this caption, reads it as a message box
// and answers it (when `button` is not empty).
inline uidriver::MessageBoxInfo AnswerBox(const std::string &caption, const std::string &button,
                                          DWORD timeoutMs = 20000) {
  uidriver::MessageBoxInfo info;
  HWND box = uidriver::WaitForWindow(caption, "", timeoutMs);
  if (!box)
    return info;
  info = uidriver::ReadMessageBox(box);
  if (!button.empty()) {
    uidriver::Answer(box, button);
    uidriver::WaitGone(box);
  }
  return info;
}

// The archive-name input box of folder compression: its initial text, then
// `answer` typed and OK pressed (or Cancel when `cancel`).
inline bool AnswerNameBox(std::string &proposal, const std::string &answer, bool cancel = false) {
  HWND box = uidriver::WaitForWindow("フォルダ付きで圧縮", "", 20000);
  if (!box)
    return false;
  HWND edit = ChildOfClass(box, "Edit");
  proposal = uidriver::WindowText(edit);
  if (!cancel)
    uidriver::Type(edit, answer);
  uidriver::Answer(box, cancel ? "キャンセル" : "OK");
  return uidriver::WaitGone(box);
}

inline mailhost::StoredAttachment WaitForAttachment(mailhost::HostThread &host, HWND compose, DWORD timeoutMs = 30000) {
  satchel::uidriver::WaitUntil([&] { return !host.host().Attachments(compose).empty(); }, timeoutMs);
  auto att = host.host().Attachments(compose);
  return att.empty() ? mailhost::StoredAttachment{} : att[0];
}

inline unsigned long Crc32(const std::string &bytes) {
  unsigned long crc = 0xFFFFFFFFul;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
  }
  return crc ^ 0xFFFFFFFFul;
}

// What an archive must hold: stored name (as the ZIP stores it, "/"
// between folders) to the bytes of the file.
using Contents = std::map<std::string, std::string>;

// Keeps an attached archive in <build>\tests\folders-out\ with
// <name>.expect beside it ("<stored name in hex> <size> <crc32>" a line),
// for check_folders.py.
inline bool KeepForChecker(const std::string &name, const std::string &bytes, const Contents &contents) {
  std::string dir = BuildDir() + "\\tests\\folders-out";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteFile(dir + "\\" + name, bytes);
  std::string expect;
  for (const auto &[stored, data] : contents) {
    char line[64];
    for (unsigned char c : stored) {
      std::snprintf(line, sizeof line, "%02x", c);
      expect += line;
    }
    std::snprintf(line, sizeof line, " %zu %08lx\n", data.size(), Crc32(data));
    expect += line;
  }
  WriteFile(dir + "\\" + name + ".expect", expect);
  return Exists(dir + "\\" + name + ".expect");
}

} // namespace satchel_test
