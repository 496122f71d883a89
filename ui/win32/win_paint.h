// How the window's own controls look on Windows: the drawing alone, on a device context the caller
// got (WM_PAINT, WM_DRAWITEM), with the GDI objects it passes.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kx71 {

// A panel: filled with its colour, a raised one-pixel bevel.
void PaintPanel(HDC dc, const RECT& client, HBRUSH fill);
// The decorative picture stretched over the whole client area.
void PaintPicture(HDC dc, const RECT& client, HBITMAP picture);

struct TCommentLook {
  HBRUSH fill;
  HFONT font;
  int lineHeight;  // lines this far apart whatever the face, so that every line shows whole
};
// The comment box: `text` wrapped at words, cut at the bottom.
void PaintComment(HDC dc, const RECT& client, const TCommentLook& look, const std::wstring& text);

// A picture button: a push button's face with the picture centred (its bottom-left pixel's colour
// transparent), each of its pixels `factor` screen pixels square, the focus rectangle while it has
// the focus.
void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int factor = 1);

struct TFlatButtonLook {
  HFONT font;
  COLORREF ink;
  bool captionAtLeft;
};
// A flat button: the face, an edge only while pressed, the caption in its own font and colour.
void DrawFlatButton(const DRAWITEMSTRUCT& item, const TFlatButtonLook& look, const std::wstring& caption);

}  // namespace kx71
