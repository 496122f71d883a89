#include "ui/win32/win_paint.h"

#include "ui/win32/text_wrap.h"

namespace kx71 {
void PaintPanel(HDC dc, const RECT& client, HBRUSH fill) {
  RECT r = client;
  FillRect(dc, &r, fill);
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
}

void PaintPicture(HDC dc, const RECT& client, HBITMAP picture) {
  if (picture == nullptr) return;
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  HDC mem = CreateCompatibleDC(dc);
  const HGDIOBJ old = SelectObject(mem, picture);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void PaintComment(HDC dc, const RECT& client, const TCommentLook& look, const std::wstring& text) {
  const RECT& r = client;
  FillRect(dc, &r, look.fill);
  const HGDIOBJ old = SelectObject(dc, look.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  // The lines begin at the frame's inner edge, as the layout places them.
  const auto lines = WrapLines(text, r.right, [dc](std::wstring_view s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  });
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  int y = 0;
  for (const std::wstring& line : lines) {
    if (y >= r.bottom) break;
    TextOutW(dc, 0, y, line.c_str(), static_cast<int>(line.size()));
    y += look.lineHeight;
  }
  SelectObject(dc, old);
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int factor) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  if (picture != nullptr) {
    BITMAP bm{};
    GetObjectW(picture, sizeof bm, &bm);
    HDC mem = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(mem, picture);
    const COLORREF key = GetPixel(mem, 0, bm.bmHeight - 1);
    const int w = bm.bmWidth * factor, h = bm.bmHeight * factor;
    const int x = (r.right - r.left - w) / 2 + (pressed ? 1 : 0);
    const int y = (r.bottom - r.top - h) / 2 + (pressed ? 1 : 0);
    TransparentBlt(dc, x, y, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, key);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

void DrawFlatButton(const DRAWITEMSTRUCT& item, const TFlatButtonLook& look, const std::wstring& caption) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (item.itemState & ODS_SELECTED) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, look.ink);
  const HGDIOBJ old = SelectObject(dc, look.font);
  const UINT align = look.captionAtLeft ? DT_LEFT : DT_CENTER;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, align | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

}  // namespace kx71
