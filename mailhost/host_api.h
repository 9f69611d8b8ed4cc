// The stand-in mail host's side of the plug-in interface: the 54 BKA_*
// functions exported from the host executable, and what they record.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace mailhost {

using CommandHandler = void(WINAPI *)(HWND, LPARAM);

struct RegisteredCommand {
  int id; // the menu identifier handed back to the plug-in
  std::string description;
  int windowType;
  CommandHandler handler;
};

struct Attachment {
  HWND window;      // the compose window the plug-in named
  std::string path; // the file as the plug-in passed it
  std::string name; // its file-name part
  std::string mimeType;
  std::string bytes; // a copy taken during the call: the plug-in deletes
                     // the file as soon as the call returns
  bool readable;     // false when the file could not be read
};

// Everything the host functions have been asked to do so far.
struct HostLog {
  std::vector<RegisteredCommand> commands;
  std::vector<Attachment> attachments;
};

HostLog &Log();

// Called after each BKA_CompAttachFile has recorded its attachment, so that
// the host's windows can show it and store the message.
void SetAttachHook(std::function<void(const Attachment &)> hook);

// The command registered under this menu identifier, or null.
const RegisteredCommand *FindCommand(int id);

// First identifier handed out by BKA_RegisterCommand; the mail program uses a
// range of its own well away from its menu identifiers.
constexpr int kFirstCommandId = 0x8000;

} // namespace mailhost
