// Placeholder until the dialog framework lands: system message boxes.
#include "ui/msgdlg.h"

#include <windows.h>

namespace satchel::ui {

int MessageDlg(const std::string &text, MsgKind kind, MsgButtons buttons) {
  static const char *const captions[] = {"警告", "エラー", "情報", "確認"};
  static const UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION};
  static const UINT styles[] = {MB_OK, MB_YESNO, MB_YESNOCANCEL, MB_OKCANCEL};
  return MessageBoxA(nullptr, text.c_str(), captions[int(kind)],
                     icons[int(kind)] | styles[int(buttons)] | MB_TASKMODAL | MB_SETFOREGROUND);
}

bool InputQuery(const std::string &, const std::string &, std::string &) { return false; }

} // namespace satchel::ui
