// The program's application object: the window's fonts, and the default handler that shows a
// failure escaping any event handler in a message box and lets the program go on.
#pragma once

#include <QApplication>
#include <optional>

#include "ui/qt/fonts.h"
#include "ui/qt/session_bus.h"

namespace kx71 {

// The session bus address is settled before any thread starts (first base); the font configuration
// loads while QApplication connects to the display; then the session bus opens on a thread of its
// own while the fonts and the window are made.
class TApplication : private TSessionBusAddress, private TFontConfigLoader, public QApplication {
 public:
  TApplication(int& argc, char** argv);

  ~TApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  std::optional<TSessionBusOpener> sessionBus_;
};

}  // namespace kx71
