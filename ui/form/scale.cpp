#include "ui/form/scale.h"

namespace kx71 {

TBounds TScale::Bounds(const TControlDef& def) const {
  const int x = Pixels(def.x), y = Pixels(def.y);
  const int w = def.w == kFitted ? kFitted : Pixels(def.x + def.w) - x;
  const int h = def.h == kFitted ? kFitted : Pixels(def.y + def.h) - y;
  return {x, y, w, h};
}

int TScale::FontPixels(const TFontSpec& font) const {
  return Pixels(font.family == TFontSpec::Window ? kUiFontPixels : font.pixels);
}

}  // namespace kx71
