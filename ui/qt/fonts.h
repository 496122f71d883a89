// The window's fonts. The named faces are mapped to faces present on the machine, so every Japanese
// text renders in a proportional gothic face.
#pragma once

#include <QFont>
#include <future>
#include <thread>

#include "ui/form/layout.h"

namespace kx71 {

// The font work of a start that need not hold up the window, on a thread of its own from
// construction: fontconfig reads and parses every configuration file once per process (the largest
// part of a start) while the application connects to the display, and the faces for the named ones
// are chosen. Wait() returns once that is done; then, while the window is made, the thread fills
// Qt's font database, which needs the application object and is otherwise filled by the first text
// measured. Finish() returns once the thread has ended.
class TFontConfigLoader {
 public:
  TFontConfigLoader();
  ~TFontConfigLoader();
  TFontConfigLoader(const TFontConfigLoader&) = delete;
  TFontConfigLoader& operator=(const TFontConfigLoader&) = delete;
  // Before the first font is asked for (Qt must not load the configuration a second time
  // meanwhile), with the application object made.
  void Wait();
  void Finish();

 private:
  std::promise<void> chosenPromise_;
  std::future<void> chosen_;
  std::promise<bool> fill_;  // whether to fill Qt's font database
  std::thread thread_;
  bool waited_ = false;
};

// Adds the substitutions for the named faces and makes UiFont(kUiFontPixels) the application font
// (popups and message boxes use it too). After TFontConfigLoader::Wait.
void InstallFonts();

// The user-interface font at the given pixel height.
QFont UiFont(int pixels = kUiFontPixels, bool bold = false);

// The "System" font of the spin buttons.
QFont SystemFont(int pixels, bool bold);

}  // namespace kx71
