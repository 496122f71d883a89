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
// The decorative picture over `client`: copied when it is that size already, stretched otherwise.
void PaintPicture(HDC dc, const RECT& client, HBITMAP picture);
// A new 32-bit copy of `picture` at `size`, each pixel the average of the source area it covers
// (AreaAverage), so that the picture's edges map onto the copy's edges. (GDI's own halftone stretch under Wine takes
// each pixel from up to half a pixel right of its place: the picture showed a pixel to the right.)
HBITMAP StretchPicture(HBITMAP picture, SIZE size);

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

// A selector's entry, in the box's face or a row of its open list: the font's line centred on
// `line` (the face's whole height, or the row), highlighted while selected.
void DrawSelectorItem(const DRAWITEMSTRUCT& item, HFONT font, const RECT& line, const std::wstring& text);

}  // namespace kx71
