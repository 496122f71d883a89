#include "ui/win32/win_paint.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

namespace {

std::vector<std::uint32_t> Pixels(HBITMAP picture, int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, picture, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return pixels;
}

// How much of source cell `i` (of `from`) lies under target cell `j` (of `to`), in units of
// 1 / from of a target cell: cells are [i * to, (i + 1) * to) against [j * from, (j + 1) * from).
std::int64_t Overlap(std::int64_t i, std::int64_t j, std::int64_t from, std::int64_t to) {
  return std::max<std::int64_t>(0, std::min((i + 1) * to, (j + 1) * from) - std::max(i * to, j * from));
}

}  // namespace

HBITMAP StretchPicture(HBITMAP picture, SIZE size) {
  BITMAP bm{};
  if (picture == nullptr || GetObjectW(picture, sizeof bm, &bm) == 0 || size.cx <= 0 || size.cy <= 0) return nullptr;
  const int sw = bm.bmWidth, sh = bm.bmHeight, tw = size.cx, th = size.cy;
  const std::vector<std::uint32_t> from = Pixels(picture, sw, sh);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, tw, -th, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP result = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (result == nullptr) return nullptr;
  auto* to = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < th; ++y) {
    // The source rows under target row y: from y * sh / th up to (y + 1) * sh / th.
    const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * sh / th);
    const int y1 = std::min(sh - 1, static_cast<int>((static_cast<std::int64_t>(y + 1) * sh - 1) / th));
    for (int x = 0; x < tw; ++x) {
      const int x0 = static_cast<int>(static_cast<std::int64_t>(x) * sw / tw);
      const int x1 = std::min(sw - 1, static_cast<int>((static_cast<std::int64_t>(x + 1) * sw - 1) / tw));
      std::int64_t sum[3] = {}, weight = 0;
      for (int sy = y0; sy <= y1; ++sy) {
        const std::int64_t wy = Overlap(sy, y, sh, th);
        for (int sx = x0; sx <= x1; ++sx) {
          const std::int64_t w = wy * Overlap(sx, x, sw, tw);
          const std::uint32_t p = from[static_cast<std::size_t>(sy * sw + sx)];
          for (int c = 0; c < 3; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFF);
          weight += w;
        }
      }
      std::uint32_t out = 0;
      for (int c = 0; c < 3; ++c)
        out |= static_cast<std::uint32_t>(weight > 0 ? (sum[c] + weight / 2) / weight : 0) << (8 * c);
      to[static_cast<std::size_t>(y * tw + x)] = out;
    }
  }
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
