#include "mailhost/host_api.h"

#include "base/text.h"

#include <cstdio>

namespace mailhost {
namespace {
std::function<void(const Attachment &)> g_attachHook;

bool ReadWholeFile(const std::string &path, std::string &out) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}
} // namespace

HostLog &Log() {
  static HostLog log;
  return log;
}

void SetAttachHook(std::function<void(const Attachment &)> hook) { g_attachHook = std::move(hook); }

const RegisteredCommand *FindCommand(int id) {
  for (const auto &c : Log().commands)
    if (c.id == id)
      return &c;
  return nullptr;
}

} // namespace mailhost

using namespace mailhost;

extern "C" {

// No C++ exception may travel back into the plug-in that called.
int WINAPI BKA_RegisterCommand(LPCSTR description, int windowType, CommandHandler handler) {
  try {
    auto &cmds = Log().commands;
    int id = kFirstCommandId + int(cmds.size());
    cmds.push_back({id, description ? description : "", windowType, handler});
    return id;
  } catch (...) {
    return 0;
  }
}

// Answers 0 when the file was read (and handed to the attach hook), -1 when
// it could not be.
int WINAPI BKA_CompAttachFile(HWND window, LPCSTR path, LPCSTR mimeType) {
  try {
    Attachment a{window, path ? path : "", {}, mimeType ? mimeType : "", {}, false};
    a.name = satchel::FileNamePart(a.path);
    a.readable = !a.path.empty() && ReadWholeFile(a.path, a.bytes);
    Log().attachments.push_back(a);
    if (g_attachHook)
      g_attachHook(Log().attachments.back());
    return a.readable ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

// The other host functions are resolved by plug-ins but this host's plug-in
// never calls them; they answer 0.
#define SATCHEL_UNUSED_BKA(name)                                                                                       \
  int WINAPI name() { return 0; }
SATCHEL_UNUSED_BKA(BKA_GetVersion)
SATCHEL_UNUSED_BKA(BKA_Command)
SATCHEL_UNUSED_BKA(BKA_GetWindowHandles)
SATCHEL_UNUSED_BKA(BKA_RegisterUICallback)
SATCHEL_UNUSED_BKA(BKA_GetDataFolder)
SATCHEL_UNUSED_BKA(BKA_GetTempFolder)
SATCHEL_UNUSED_BKA(BKA_GetTempFileName)
SATCHEL_UNUSED_BKA(BKA_GetCurrentMailBox)
SATCHEL_UNUSED_BKA(BKA_SetCurrentMailBox)
SATCHEL_UNUSED_BKA(BKA_GetCurrentFolder)
SATCHEL_UNUSED_BKA(BKA_SetCurrentFolder)
SATCHEL_UNUSED_BKA(BKA_GetFolderDisplayName)
SATCHEL_UNUSED_BKA(BKA_SetMessageText)
SATCHEL_UNUSED_BKA(BKA_GetCurrentMail)
SATCHEL_UNUSED_BKA(BKA_SetCurrentMail)
SATCHEL_UNUSED_BKA(BKA_GetNextMail)
SATCHEL_UNUSED_BKA(BKA_SetSel)
SATCHEL_UNUSED_BKA(BKA_AppendMessage)
SATCHEL_UNUSED_BKA(BKA_MoveSelectedMessages)
SATCHEL_UNUSED_BKA(BKA_GetStatus)
SATCHEL_UNUSED_BKA(BKA_ComposeMail)
SATCHEL_UNUSED_BKA(BKA_GetCharSet)
SATCHEL_UNUSED_BKA(BKA_GetSource)
SATCHEL_UNUSED_BKA(BKA_SetSource)
SATCHEL_UNUSED_BKA(BKA_GetHeader)
SATCHEL_UNUSED_BKA(BKA_GetText)
SATCHEL_UNUSED_BKA(BKA_SetText)
SATCHEL_UNUSED_BKA(BKA_GetSpecifiedHeader)
SATCHEL_UNUSED_BKA(BKA_SetSpecifiedHeader)
SATCHEL_UNUSED_BKA(BKA_CompGetCharSet)
SATCHEL_UNUSED_BKA(BKA_CompGetSource)
SATCHEL_UNUSED_BKA(BKA_CompSetSource)
SATCHEL_UNUSED_BKA(BKA_CompGetHeader)
SATCHEL_UNUSED_BKA(BKA_CompGetSpecifiedHeader)
SATCHEL_UNUSED_BKA(BKA_CompSetSpecifiedHeader)
SATCHEL_UNUSED_BKA(BKA_CompGetText)
SATCHEL_UNUSED_BKA(BKA_CompSetText)
SATCHEL_UNUSED_BKA(BKA_Alloc)
SATCHEL_UNUSED_BKA(BKA_ReAlloc)
SATCHEL_UNUSED_BKA(BKA_Free)
SATCHEL_UNUSED_BKA(BKA_ISO_2022_JP)
SATCHEL_UNUSED_BKA(BKA_ISO_2022_KR)
SATCHEL_UNUSED_BKA(BKA_HZ_GB2312)
SATCHEL_UNUSED_BKA(BKA_ISO_8859_2)
SATCHEL_UNUSED_BKA(BKA_EUC_JP)
SATCHEL_UNUSED_BKA(BKA_UTF_7)
SATCHEL_UNUSED_BKA(BKA_UTF_8)
SATCHEL_UNUSED_BKA(BKA_B64Convert)
SATCHEL_UNUSED_BKA(BKA_QPConvert)
SATCHEL_UNUSED_BKA(BKA_MIMEHeader)
SATCHEL_UNUSED_BKA(BKA_SerializeRcpts)
SATCHEL_UNUSED_BKA(BKA_Connect)
}
