#include "ui/window/bitbtn.h"

#include "base/handle.h"
#include "ui/window/font.h"

namespace satchel::ui {

void DrawBitBtn(const DRAWITEMSTRUCT &item, HFONT font, HBITMAP picture, const std::string &caption) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  bool disabled = item.itemState & ODS_DISABLED, pressed = item.itemState & ODS_SELECTED;
  DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  Selection selected(dc, font);
  SIZE ts = MeasureText(font, caption);
  BITMAP bm{};
  if (picture)
    GetObjectA(picture, sizeof bm, &bm);
  const int gap = bm.bmHeight ? 4 : 0, shift = pressed ? 1 : 0;
  int top = (rc.bottom - rc.top - bm.bmHeight - gap - ts.cy) / 2 + shift;
  UINT state = disabled ? DSS_DISABLED : DSS_NORMAL;
  if (picture)
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(picture), 0,
               (rc.right - rc.left - bm.bmWidth) / 2 + shift, top, bm.bmWidth, bm.bmHeight, DST_BITMAP | state);
  SetBkMode(dc, TRANSPARENT);
  DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption.c_str()), WPARAM(caption.size()),
             (rc.right - rc.left - ts.cx) / 2 + shift, top + bm.bmHeight + gap, ts.cx, ts.cy, DST_PREFIXTEXT | state);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&rc, -4, -4);
    DrawFocusRect(dc, &rc);
  }
}

} // namespace satchel::ui
