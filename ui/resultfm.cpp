#include "ui/resultfm.h"

#include "base/text.h"

namespace satchel::ui {

namespace {

const FormDef kWindow{"TResultForm", "Result", kDialogFrame, kDialogExStyle, 337, 249, true, true};

const ControlDef kLayout[] = {
    // name, kind, left, top, width, height, text, tab order, properties, modal result
    {"ResultMemo", Kind::Memo, 8, 8, 320, 200, "", 1, ReadOnly | VScroll | HScroll | WordWrap | FaceColor},
    {"OkButton", Kind::Button, 128, 216, 75, 25, "Ok", 0, Default, kModalOk},
};

} // namespace

TResultForm::TResultForm(HWND owner) {
  Build(kWindow, kLayout, {SATCHEL_CONTROL(ResultMemo), SATCHEL_CONTROL(OkButton)}, {}, owner);
  // The edit box's own limit (32 KB) would cut a long log.
  ResultMemo.Send(EM_SETLIMITTEXT, 0x7FFFFFFE);
}

void TResultForm::SetResultText(const std::string &text) { ResultMemo.SetText(NormalizeLineBreaks(text)); }

} // namespace satchel::ui
