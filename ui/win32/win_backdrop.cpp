#include "ui/win32/win_backdrop.h"

#include <cstring>

#include "ui/win32/win_paint.h"

namespace kx71 {

void PaintBackdrop(HDC dc, const TControlDef& panel, TWinResources& resources, const TScale& scale) {
  for (const TControlDef& def : Layout()) {
    if (!PaintedByPanel(def.kind) || std::strcmp(def.parent, panel.name) != 0) continue;
    const TBounds b = scale.Bounds(def);
    const RECT r{b.x, b.y, b.x + b.w, b.y + b.h};
    if (def.kind == TControlKind::Picture) {
      PaintPicture(dc, r, resources.Artwork(def.resource, {b.w, b.h}));
    } else {
      FillRect(dc, &r, resources.Brush(ToColorRef(def.colour, GetSysColor(COLOR_BTNFACE))));
    }
  }
}

}  // namespace kx71
