#include "ui/qt/end_program.h"

#include <QCoreApplication>

namespace kx71 {

void EndProgram(QWidget& window) {
  window.close();
  if (!window.isVisible()) QCoreApplication::exit(0);
}

}  // namespace kx71
