// The dialogs' font and text measuring. The font is the system's default
// GUI font at a character height of 12 pixels.
#pragma once
#include <windows.h>

#include <string>

#include "base/handle.h"

namespace satchel::ui {

// The default GUI font's face, character height 12 px, DEFAULT_CHARSET.
UniqueGdi CreateDialogFont();
// Text size in pixels of `text` in `font`, on one line or wrapped at
// `maxWidth`; "&" counts as an accelerator mark unless `noPrefix`.
SIZE MeasureText(HFONT font, const std::string &text, int maxWidth = 0, bool noPrefix = false);

} // namespace satchel::ui
