#include "ui/win32/win_paint.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/picture/area_average.h"
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
  if (bm.bmWidth == client.right - client.left && bm.bmHeight == client.bottom - client.top) {
    BitBlt(dc, client.left, client.top, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, mem, 0, 0,
               bm.bmWidth, bm.bmHeight, SRCCOPY);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

HBITMAP StretchPicture(HBITMAP picture, SIZE size) {
  BITMAP bm{};
  if (picture == nullptr || GetObjectW(picture, sizeof bm, &bm) == 0 || size.cx <= 0 || size.cy <= 0) return nullptr;
  TPixels from{bm.bmWidth, bm.bmHeight, {}};
  from.words.resize(static_cast<std::size_t>(from.width) * static_cast<std::size_t>(from.height));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, from.width, -from.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, picture, 0, static_cast<UINT>(from.height), from.words.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  const TPixels to = AreaAverage(from, size.cx, size.cy);
  if (to.words.empty()) return nullptr;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  void* bits = nullptr;
  const HBITMAP result = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (result == nullptr) return nullptr;
  std::copy(to.words.begin(), to.words.end(), static_cast<std::uint32_t*>(bits));
  GdiFlush();
  return result;
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

void DrawSelectorItem(const DRAWITEMSTRUCT& item, HFONT font, const RECT& line, const std::wstring& text) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SetBkMode(dc, TRANSPARENT);
  const int ink = (item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                  : selected                              ? COLOR_HIGHLIGHTTEXT
                                                          : COLOR_WINDOWTEXT;
  SetTextColor(dc, GetSysColor(ink));
  const int y = line.top + (line.bottom - line.top - tm.tmHeight) / 2;
  ExtTextOutW(dc, r.left + 2, y, ETO_CLIPPED, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, old);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) DrawFocusRect(dc, &r);
}

}  // namespace kx71
