// The program's application object: the window's fonts, and the default handler that shows a
// failure escaping any event handler in a message box and lets the program go on.
#pragma once

#include <QApplication>

#include "ui/qt/fonts.h"

namespace kx71 {

// The font configuration loads (first base) while QApplication connects to the display.
class TApplication : private TFontConfigLoader, public QApplication {
 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kx71
