#include "plugin/commands.h"

#include "plugin/settings.h"
#include "plugin/setup_command.h"
#include "plugin/startup.h"
#include "ui/msgdlg.h"
#include "ui/zipform.h"

#include <string>

namespace satchel {

void OnMenuInit(HWND, HMENU menu, int windowType) {
  if (windowType != kComposeWindowType)
    return;
  HMENU tools = GetSubMenu(menu, 3);
  AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
  int id = BeckyAPI->RegisterCommand("compress files and attach", windowType, ZipAndAttachCommand);
  AppendMenuA(tools, MF_STRING, UINT_PTR(id), "Zip and attach...");
}

namespace {
// Removes a folder and everything in it.
void RemoveTree(const std::string &dir) {
  if (dir.empty())
    return;
  std::string base = dir.back() == '\\' ? dir.substr(0, dir.size() - 1) : dir;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((base + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..")
        continue;
      std::string p = base + "\\" + n;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(p);
      } else {
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(p.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(base.c_str());
}

bool IsFile(const std::string &path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void Run(HWND window) {
  // The dialog is released (deferred) and its working folder removed on
  // every way out, after the settings object is gone.
  struct DialogHolder {
    ui::TZipListForm *form = nullptr;
    ~DialogHolder() {
      if (!form)
        return;
      RemoveTree(form->WorkFolder());
      form->Release();
    }
  } dialog;
  dialog.form = new ui::TZipListForm;
  ui::TZipListForm &form = *dialog.form;
  RECT r{};
  GetWindowRect(window, &r);
  SetWindowPos(form.Handle(), nullptr, r.left + 32, r.top + 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  TSettingsFile settings(SettingsPath);
  form.SetArchiveType(settings.ReadInteger("Options", "ArchiveType", -1));
  form.SetIsSfx(settings.ReadBool("Options", "IsSfx", false));
  form.ShowResultCheckBox.SetChecked(settings.ReadBool("Options", "ShowResult", false));
  form.UseAsFileName = settings.ReadBool("FolderCompression", "UseAsFileName", true);
  form.IncludeFolderName = settings.ReadBool("FolderCompression", "IncludeFolderName", false);

  form.ShowModal();

  const std::string &archive = form.ZipFileName();
  if (archive.empty())
    return;
  if (!IsFile(archive)) {
    ui::MessageDlg("compression failed.", ui::MsgKind::Error);
    return;
  }
  BeckyAPI->CompAttachFile(window, archive.c_str(), form.MIMEType().c_str());
  DeleteFileA(archive.c_str());
  settings.WriteInteger("Options", "ArchiveType", form.ArchiveType());
  settings.WriteBool("Options", "IsSfx", form.IsSfx());
  settings.WriteBool("Options", "ShowResult", form.ShowResultCheckBox.Checked());
}
} // namespace

void WINAPI ZipAndAttachCommand(HWND window, LPARAM) {
  // Called by the mail program: nothing may escape.
  try {
    Run(window);
  } catch (const std::exception &e) {
    try {
      ui::MessageDlg(std::string("Zip and attach failed: ") + e.what(), ui::MsgKind::Error);
    } catch (...) {
    }
  } catch (...) {
  }
}

int PlugInSetup(HWND) { return RunPlugInSetup(SettingsPath); }

} // namespace satchel
