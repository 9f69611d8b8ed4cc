// The result dialog: everything the ZIP library printed during a run.
#pragma once
#include <string>

#include "ui/window/form.h"

namespace satchel::ui {

class TResultForm : public Form {
public:
  // Hidden, owned by `owner` (may be null); centred on the screen when shown.
  explicit TResultForm(HWND owner);

  Control ResultMemo;
  Control OkButton;

  // Fills the memo, every lone LF and lone CR made a line break of its own.
  void SetResultText(const std::string &text);
};

} // namespace satchel::ui
