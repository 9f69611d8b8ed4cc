#include "plugin/setup_command.h"

#include <memory>

#include "plugin/settings.h"
#include "ui/bkaopt.h"
#include "ui/message_box.h"

namespace satchel {

namespace {
constexpr const char kSection[] = "FolderCompression";

void EditOptions(const char *settingsPath) {
  TSettingsFile settings(settingsPath);
  ui::TBkArcOptionForm form;
  form.UseAsFileNameCheckBox.SetChecked(settings.ReadBool(kSection, "UseAsFileName", true));
  // Checking a radio button runs RadioButtonsClick, which enables the box
  // for Exclude only.
  if (settings.ReadBool(kSection, "IncludeFolderName", false))
    form.IncludeRadioButton.SetChecked(true);
  else
    form.ExcludeRadioButton.SetChecked(true);
  if (form.ShowModal() == ui::kModalOk) {
    settings.WriteBool(kSection, "UseAsFileName", form.UseAsFileNameCheckBox.Checked());
    settings.WriteBool(kSection, "IncludeFolderName", form.IncludeRadioButton.Checked());
  }
}
} // namespace

int RunPlugInSetup(const char *settingsPath) noexcept {
  // The dialog and the settings object are gone before the error is shown.
  try {
    EditOptions(settingsPath);
    return 1;
  } catch (const std::exception &e) {
    try {
      ui::MessageDlg(e.what(), ui::MsgKind::Error);
    } catch (...) {
    }
  } catch (...) {
  }
  return 0;
}

} // namespace satchel
