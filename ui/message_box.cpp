#include "ui/message_box.h"

#include <algorithm>
#include <vector>

#include "ui/window/form.h"

namespace satchel::ui {

namespace {

constexpr int kMargin = 12, kIconSize = 32, kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 8;

struct ButtonDef {
  const char *text;
  int result;
};

std::vector<ButtonDef> ButtonsOf(MsgButtons b) {
  switch (b) {
  case MsgButtons::Ok:
    return {{"OK", 1}};
  case MsgButtons::YesNo:
    return {{"はい(&Y)", 6}, {"いいえ(&N)", 7}};
  case MsgButtons::YesNoCancel:
    return {{"はい(&Y)", 6}, {"いいえ(&N)", 7}, {"キャンセル", 2}};
  case MsgButtons::OkCancel:
    return {{"OK", 1}, {"キャンセル", 2}};
  }
  return {{"OK", 1}};
}

// The message dialog: its layout follows the text, so its table is made at
// run time. The first button is the default; Esc presses Cancel, else No,
// else OK; the close box answers Cancel.
class TMessageForm : public Form {
public:
  TMessageForm(const std::string &text, MsgKind kind, MsgButtons buttons) {
    static const char *const captions[] = {"警告", "エラー", "情報", "確認"};
    static const LPCSTR icons[] = {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION};
    std::vector<ButtonDef> buttonDefs = ButtonsOf(buttons);
    UniqueGdi font = CreateDialogFont();
    SIZE ts = MeasureText(static_cast<HFONT>(font.get()), text, GetSystemMetrics(SM_CXSCREEN) / 2, true);
    int body = std::max<int>(kIconSize, ts.cy);
    int rowWidth = int(buttonDefs.size()) * kButtonWidth + (int(buttonDefs.size()) - 1) * kButtonGap;
    int width = std::max<int>(kMargin * 3 + kIconSize + ts.cx, rowWidth + 2 * kMargin);
    int buttonTop = kMargin + body + kMargin + 4;
    int height = buttonTop + kButtonHeight + kMargin;

    // Cancel, else No, else OK: always the last button.
    std::size_t cancel = buttonDefs.size() - 1;
    std::vector<ControlDef> rows;
    rows.push_back({"Image", Kind::Icon, kMargin, kMargin, kIconSize, kIconSize, "", -1});
    rows.push_back({"Message", Kind::Label, kMargin * 2 + kIconSize, kMargin + (body - ts.cy) / 2, ts.cx, ts.cy,
                    text.c_str(), -1, WordBreak | NoPrefix});
    static const char *const names[] = {"Button1", "Button2", "Button3"};
    for (std::size_t i = 0; i < buttonDefs.size(); ++i) {
      unsigned props = (i == 0 ? unsigned(Default) : 0u) | (i == cancel ? unsigned(Cancel) : 0u);
      rows.push_back({names[i], Kind::Button, (width - rowWidth) / 2 + int(i) * (kButtonWidth + kButtonGap), buttonTop,
                      kButtonWidth, kButtonHeight, buttonDefs[i].text, int(i), props, buttonDefs[i].result});
    }
    const FormDef window{"TMessageForm", captions[int(kind)], kDialogFrame, kDialogExStyle, width, height, true, true};
    Build(window, rows.data(), rows.size(),
          {SATCHEL_CONTROL(Image), SATCHEL_CONTROL(Message), SATCHEL_CONTROL(Button1), SATCHEL_CONTROL(Button2),
           SATCHEL_CONTROL(Button3)});
    Image.SetIcon(LoadIconA(nullptr, icons[int(kind)]));
  }

  Control Image, Message, Button1, Button2, Button3;
};

// Errors that leave a handler of any form are shown in this dialog.
const bool kReportsErrors = (SetErrorReport([](const char *text) { MessageDlg(text, MsgKind::Error); }), true);

} // namespace

int MessageDlg(const std::string &text, MsgKind kind, MsgButtons buttons) {
  TMessageForm form(text, kind, buttons);
  return form.ShowModal();
}

} // namespace satchel::ui
