// The window's fonts. The named faces are mapped to faces present on the machine, so every Japanese
// text renders in a proportional gothic face.
#pragma once

#include <QFont>
#include <thread>

#include "ui/form/layout.h"

namespace kx71 {

// Loads the machine's font configuration (fontconfig reads and parses every configuration file
// once per process, the largest part of a start) on a thread of its own from construction, while
// the application connects to the display. Wait() returns once it is loaded; TApplication waits
// before the first font is asked for.
class TFontConfigLoader {
 public:
  TFontConfigLoader();
  ~TFontConfigLoader();
  TFontConfigLoader(const TFontConfigLoader&) = delete;
  TFontConfigLoader& operator=(const TFontConfigLoader&) = delete;
  void Wait();

 private:
  std::thread thread_;
};

// Chooses the faces present on the machine, adds the substitutions for the named ones and makes
// UiFont(kUiFontPixels) the application font (popups and message boxes use it too).
void InstallFonts();

// The user-interface font at the given pixel height.
QFont UiFont(int pixels = kUiFontPixels, bool bold = false);

// The "System" font of the spin buttons.
QFont SystemFont(int pixels, bool bold);

}  // namespace kx71
