#include "ui/input_box.h"

#include <algorithm>

#include "ui/window/form.h"

namespace satchel::ui {

namespace {

constexpr int kMargin = 12, kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 8;

// The input box: one prompt line whose accelerator focuses the text box.
class TInputQueryForm : public Form {
public:
  TInputQueryForm(const std::string &caption, const std::string &prompt, const std::string &value) {
    UniqueGdi font = CreateDialogFont();
    SIZE ps = MeasureText(static_cast<HFONT>(font.get()), prompt);
    int width = std::max<int>(296, ps.cx + 2 * kMargin), row = 2 * kButtonWidth + kButtonGap;
    const ControlDef rows[] = {
        {"Prompt", Kind::Label, kMargin, kMargin, ps.cx, ps.cy, prompt.c_str(), -1, AutoSize, 0, nullptr, nullptr,
         nullptr, "Edit"},
        {"Edit", Kind::Edit, kMargin, 32, width - 2 * kMargin, 21, value.c_str(), 0},
        {"OkButton", Kind::Button, (width - row) / 2, 66, kButtonWidth, kButtonHeight, "OK", 1, Default, 1},
        {"CancelButton", Kind::Button, (width - row) / 2 + kButtonWidth + kButtonGap, 66, kButtonWidth, kButtonHeight,
         "キャンセル", 2, Cancel, 2},
    };
    const FormDef window{
        "TInputQueryForm", caption.c_str(), kDialogFrame, kDialogExStyle, width, 66 + 25 + kMargin, true, true};
    Build(window, rows,
          {SATCHEL_CONTROL(Prompt), SATCHEL_CONTROL(Edit), SATCHEL_CONTROL(OkButton), SATCHEL_CONTROL(CancelButton)});
    Edit.Send(EM_SETSEL, 0, -1);
  }

  Control Prompt, Edit, OkButton, CancelButton;
};

} // namespace

bool InputQuery(const std::string &caption, const std::string &prompt, std::string &value) {
  TInputQueryForm form(caption, prompt, value);
  if (form.ShowModal() != kModalOk)
    return false;
  value = form.Edit.Text();
  return true;
}

} // namespace satchel::ui
