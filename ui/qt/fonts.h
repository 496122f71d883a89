// The window's fonts. The named faces are mapped to faces present on the machine, so every Japanese
// text renders in a proportional gothic face.
#pragma once

#include <QFont>

#include "ui/form/layout.h"

namespace kx71 {

// Chooses the faces present on the machine, adds the substitutions for the named ones and makes
// UiFont(kUiFontPixels) the application font (popups and message boxes use it too).
void InstallFonts();

// The user-interface font at the given pixel height.
QFont UiFont(int pixels = kUiFontPixels, bool bold = false);

// The "System" font of the spin buttons.
QFont SystemFont(int pixels, bool bold);

}  // namespace kx71
