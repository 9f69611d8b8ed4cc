#include "host/BeckyAPI.h"

#include "base/module.h"

namespace satchel {

const char *const TBeckyAPI::kNames[FunctionCount] = {
    "BKA_GetVersion",
    "BKA_Command",
    "BKA_GetWindowHandles",
    "BKA_RegisterCommand",
    "BKA_RegisterUICallback",
    "BKA_GetDataFolder",
    "BKA_GetTempFolder",
    "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox",
    "BKA_SetCurrentMailBox",
    "BKA_GetCurrentFolder",
    "BKA_SetCurrentFolder",
    "BKA_GetFolderDisplayName",
    "BKA_SetMessageText",
    "BKA_GetCurrentMail",
    "BKA_SetCurrentMail",
    "BKA_GetNextMail",
    "BKA_SetSel",
    "BKA_AppendMessage",
    "BKA_MoveSelectedMessages",
    "BKA_GetStatus",
    "BKA_ComposeMail",
    "BKA_GetCharSet",
    "BKA_GetSource",
    "BKA_SetSource",
    "BKA_GetHeader",
    "BKA_GetText",
    "BKA_SetText",
    "BKA_GetSpecifiedHeader",
    "BKA_SetSpecifiedHeader",
    "BKA_CompGetCharSet",
    "BKA_CompGetSource",
    "BKA_CompSetSource",
    "BKA_CompGetHeader",
    "BKA_CompGetSpecifiedHeader",
    "BKA_CompSetSpecifiedHeader",
    "BKA_CompGetText",
    "BKA_CompSetText",
    "BKA_CompAttachFile",
    "BKA_Alloc",
    "BKA_ReAlloc",
    "BKA_Free",
    "BKA_ISO_2022_JP",
    "BKA_ISO_2022_KR",
    "BKA_HZ_GB2312",
    "BKA_ISO_8859_2",
    "BKA_EUC_JP",
    "BKA_UTF_7",
    "BKA_UTF_8",
    "BKA_B64Convert",
    "BKA_QPConvert",
    "BKA_MIMEHeader",
    "BKA_SerializeRcpts",
    "BKA_Connect",
};

bool TBeckyAPI::ResolveHostFunctions() {
  if (hostModule_)
    return true;
  HMODULE host = GetModuleHandleA(nullptr);
  if (reinterpret_cast<UINT_PTR>(host) < 32)
    return false;
  for (int i = 0; i < FunctionCount; ++i) {
    entries_[i] = GetProcAddress(host, kNames[i]);
    if (!entries_[i])
      return false;
  }
  hostModule_ = host;
  return true;
}

int TBeckyAPI::RegisterCommand(const char *description, int windowType, CommandHandler handler) const {
  using Fn = int(WINAPI *)(const char *, int, CommandHandler);
  return FunctionCast<Fn>(entries_[RegisterCommand_])(description, windowType, handler);
}

int TBeckyAPI::CompAttachFile(HWND window, const char *path, const char *mimeType) const {
  using Fn = int(WINAPI *)(HWND, const char *, const char *);
  return FunctionCast<Fn>(entries_[CompAttachFile_])(window, path, mimeType);
}

} // namespace satchel
