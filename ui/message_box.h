// The message dialog shared by every dialog of the plug-in: four kinds, each
// with its icon and caption, centred on the screen.
#pragma once
#include <string>

namespace satchel::ui {

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class MsgButtons { Ok, YesNo, YesNoCancel, OkCancel };

// Modal; answers 6 (Yes), 7 (No), 1 (OK) or 2 (Cancel, also for the close box).
int MessageDlg(const std::string &text, MsgKind kind, MsgButtons buttons = MsgButtons::Ok);

} // namespace satchel::ui
