// The options dialog of the folder compression: whether the stored paths
// keep the chosen folder's own name, and whether the archive is named after
// the folder.
#pragma once
#include "ui/window/form.h"

namespace satchel::ui {

class TBkArcOptionForm : public Form {
public:
  // Hidden, without owner; centred on the screen when shown.
  TBkArcOptionForm();

  Control IncludeRadioButton;
  Control ExcludeRadioButton;
  Control UseAsFileNameCheckBox;
  Control OkButton;
  Control CancelButton;

  // The name only makes sense while the folder's own name is left out.
  void RadioButtonsClick(Control &sender);
};

} // namespace satchel::ui
