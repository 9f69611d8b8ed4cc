// The owner-drawn push button with a picture above its caption (a BitBtn
// row), drawn greyed while disabled.
#pragma once
#include <windows.h>

#include <string>

namespace satchel::ui {

void DrawBitBtn(const DRAWITEMSTRUCT &item, HFONT font, HBITMAP picture, const std::string &caption);

} // namespace satchel::ui
