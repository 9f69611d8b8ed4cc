#include "ui/bkaopt.h"

namespace satchel::ui {

namespace {

const FormDef kWindow{"TBkArcOptionForm", "Options for folder compression", kSizeableFrame, 0, 314, 162, false, true};

const ControlDef kLayout[] = {
    // name, kind, left, top, width, height, text, tab order, properties, modal result, on click
    {"IncludeRadioButton", Kind::RadioButton, 16, 16, 281, 17, "&Include the selected folder name", 0, 0, 0,
     "RadioButtonsClick"},
    {"ExcludeRadioButton", Kind::RadioButton, 16, 40, 281, 17, "&Exclude the selected folder name", 1, 0, 0,
     "RadioButtonsClick"},
    {"UseAsFileNameCheckBox", Kind::CheckBox, 32, 64, 265, 17, "Use folder name as the &archive file name", 2},
    {"OkButton", Kind::Button, 64, 96, 75, 25, "&Ok", 3, Default, kModalOk},
    {"CancelButton", Kind::Button, 168, 96, 75, 25, "&Cancel", 4, Cancel, kModalCancel},
};

} // namespace

TBkArcOptionForm::TBkArcOptionForm() {
  Build(kWindow, kLayout,
        {SATCHEL_CONTROL(IncludeRadioButton), SATCHEL_CONTROL(ExcludeRadioButton),
         SATCHEL_CONTROL(UseAsFileNameCheckBox), SATCHEL_CONTROL(OkButton), SATCHEL_CONTROL(CancelButton)},
        {SATCHEL_CLICK(RadioButtonsClick)});
}

void TBkArcOptionForm::RadioButtonsClick(Control &) { UseAsFileNameCheckBox.SetEnabled(ExcludeRadioButton.Checked()); }

} // namespace satchel::ui
