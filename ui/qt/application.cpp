#include "ui/qt/application.h"

#include "ui/qt/failure_report.h"
#include "ui/qt/fonts.h"

// Resources compiled into the static ui library must be registered by name from the program.
static void RegisterUiResources() {
  Q_INIT_RESOURCE(kx71_ui);
  Q_INIT_RESOURCE(kx71_shown);
}

namespace kx71 {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  sessionBus_.emplace();  // while the fonts and the window are made
  RegisterUiResources();
  Wait();
  InstallFonts();
}

TApplication::~TApplication() {
  // Before the application object goes.
  Finish();
  sessionBus_.reset();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  // The window's handlers are guarded; this catches whatever still escapes an event.
  std::string failure;
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    failure = CurrentExceptionMessage();
  }
  ShowFailure(failure);
  return false;
}

}  // namespace kx71
