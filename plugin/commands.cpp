#include "plugin/commands.h"

#include "plugin/settings.h"
#include "plugin/setup_command.h"
#include "plugin/startup.h"
#include "ui/message_box.h"
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
void Run(HWND window) {
  // The build job's private folder, and the archive in it, go when the job
  // ends: after the dialog's deferred release and the settings object.
  ui::TBuildJob job;
  struct DialogHolder {
    ui::TZipListForm *form = nullptr;
    ~DialogHolder() {
      if (!form)
        return;
      form->Job = nullptr;
      form->Release();
    }
  } dialog;
  dialog.form = new ui::TZipListForm;
  ui::TZipListForm &form = *dialog.form;
  form.Job = &job;
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

  if (!job.Requested())
    return;
  if (job.AttachFile().empty()) {
    ui::MessageDlg(job.FailureText(), ui::MsgKind::Error);
    return;
  }
  BeckyAPI->CompAttachFile(window, job.AttachFile().c_str(), form.MIMEType().c_str());
  DeleteFileA(job.AttachFile().c_str());
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
