// The program's application object: the window's fonts, and the default handler that shows a
// failure escaping any event handler in a message box and lets the program go on.
#pragma once

#include <QApplication>

namespace kx71 {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kx71
