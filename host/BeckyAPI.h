// The binding to the mail program's own functions. They are exported from
// its executable by name; the plug-in looks each one up when it is loaded.
#pragma once
#include <windows.h>

namespace satchel {

// Command handler registered with BKA_RegisterCommand.
using CommandHandler = void(WINAPI *)(HWND window, LPARAM value);

class TBeckyAPI {
public:
  // The host functions, in the order they are resolved.
  enum Function {
    GetVersion, Command, GetWindowHandles, RegisterCommand_, RegisterUICallback, GetDataFolder, GetTempFolder,
    GetTempFileName, GetCurrentMailBox, SetCurrentMailBox, GetCurrentFolder, SetCurrentFolder,
    GetFolderDisplayName, SetMessageText, GetCurrentMail, SetCurrentMail, GetNextMail, SetSel, AppendMessage,
    MoveSelectedMessages, GetStatus, ComposeMail, GetCharSet, GetSource, SetSource, GetHeader, GetText, SetText,
    GetSpecifiedHeader, SetSpecifiedHeader, CompGetCharSet, CompGetSource, CompSetSource, CompGetHeader,
    CompGetSpecifiedHeader, CompSetSpecifiedHeader, CompGetText, CompSetText, CompAttachFile_, Alloc, ReAlloc,
    Free, ISO_2022_JP, ISO_2022_KR, HZ_GB2312, ISO_8859_2, EUC_JP, UTF_7, UTF_8, B64Convert, QPConvert,
    MIMEHeader, SerializeRcpts, Connect,
    FunctionCount
  };
  static const char *const kNames[FunctionCount];

  TBeckyAPI() = default;
  virtual ~TBeckyAPI() = default; // the module handle holds no reference
  TBeckyAPI(const TBeckyAPI &) = delete;
  TBeckyAPI &operator=(const TBeckyAPI &) = delete;

  // Looks up all host functions in the process's executable. False, with
  // HostModule null again, at the first name the host does not export.
  bool ResolveHostFunctions();

  HMODULE HostModule() const { return hostModule_; }
  FARPROC Entry(Function f) const { return entries_[f]; }

  // The two host functions the plug-in calls.
  int RegisterCommand(const char *description, int windowType, CommandHandler handler) const;
  int CompAttachFile(HWND window, const char *path, const char *mimeType) const;

private:
  FARPROC entries_[FunctionCount] = {};
  HMODULE hostModule_ = nullptr;
};

} // namespace satchel
