#include "ui/window/font.h"

#include <algorithm>

namespace satchel::ui {

UniqueGdi CreateDialogFont() {
  LOGFONTA lf{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = -12; // a character height of 12 pixels
  lf.lfWidth = 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  return UniqueGdi(CreateFontIndirectA(&lf));
}

SIZE MeasureText(HFONT font, const std::string &text, int maxWidth, bool noPrefix) {
  WindowDC screen;
  Selection selected(screen.get(), font);
  RECT r{0, 0, maxWidth, 0};
  const std::string &t = text.empty() ? std::string(" ") : text;
  DrawTextA(screen.get(), t.c_str(), int(t.size()), &r,
            DT_CALCRECT | (maxWidth > 0 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE) |
                (noPrefix ? DT_NOPREFIX : 0));
  // A word longer than the line (a long path) is broken, never widened.
  return {maxWidth > 0 ? std::min<LONG>(r.right - r.left, maxWidth) : r.right - r.left, r.bottom - r.top};
}

} // namespace satchel::ui
