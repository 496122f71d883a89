// What a panel paints itself under its native controls: the decorative picture and the filled
// labels. They have no text, take no input and carry nothing for screen readers, so they need no
// native window of their own (each would cost its creation and a paint of its own at start).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "ui/form/layout.h"
#include "ui/form/scale.h"
#include "ui/win32/win_resources.h"

namespace kx71 {

// The kinds of row their panel paints.
constexpr bool PaintedByPanel(TControlKind kind) {
  return kind == TControlKind::Picture || kind == TControlKind::FilledLabel;
}

// The rows on `panel` that it paints, in table order (a later row over an earlier one), at `scale`.
void PaintBackdrop(HDC dc, const TControlDef& panel, TWinResources& resources, const TScale& scale);

}  // namespace kx71
