// Display scaling: the layout table is in pixels of a 96 DPI screen; at another DPI every length
// grows by dpi/96. Edges scale and sizes follow from them, so controls that meet or overlap at 96
// DPI still meet or overlap by the scaled amount, and the fitted client area is the scaled extent
// of the scaled panels.
#pragma once

#include "ui/form/layout.h"

namespace kx71 {

inline constexpr int kBaseDpi = 96;

struct TBounds {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const TBounds&) const = default;
};

class TScale {
 public:
  constexpr explicit TScale(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
  constexpr int Dpi() const { return dpi_; }
  bool operator==(const TScale&) const = default;

  // A coordinate or length at 96 DPI, at this DPI: the nearest pixel, halves rounded up (towards
  // positive infinity, so that negative coordinates round as positive ones do).
  constexpr int Pixels(int at96) const {
    const long long scaled = static_cast<long long>(at96) * dpi_ + kBaseDpi / 2;
    return static_cast<int>(scaled >= 0 ? scaled / kBaseDpi : -((-scaled + kBaseDpi - 1) / kBaseDpi));
  }
  // A row's bounds in its parent; a width or height fitted to the caption stays kFitted.
  TBounds Bounds(const TControlDef& def) const;
  // The window's client area for a size at 96 DPI (ClientSize()).
  TSize Size(TSize at96) const { return {Pixels(at96.width), Pixels(at96.height)}; }
  // A font's character height in pixels: the window's font or the look's own size, scaled.
  int FontPixels(const TFontSpec& font) const;
  // The comment box's line spacing and the drop-down list's row height.
  int RowHeight(const TControlDef& def) const { return Pixels(def.rowHeight); }
  // How many screen pixels each pixel of a button's picture takes: the whole number nearest the
  // scale (at least 1), so that the picture stays sharp rather than resampled.
  int GlyphFactor() const { return dpi_ < kBaseDpi ? 1 : (dpi_ + kBaseDpi / 2) / kBaseDpi; }

 private:
  int dpi_;
};

}  // namespace kx71
