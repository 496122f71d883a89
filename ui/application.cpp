#include "ui/application.h"

#include <QThread>

#include "ui/artwork.h"
#include "ui/failure_report.h"
#include "ui/fonts.h"

// Resources compiled into the static ui library must be registered by name from the program.
static void RegisterUiResources() { Q_INIT_RESOURCE(kx71_ui); }

namespace kx71 {

namespace {
// Registers the resources and starts decoding the picture before Qt connects to the display.
int& StartEarly(int& argc) {
  // Qt takes the first thread that touches it for the main thread: make sure that is this one
  // before the decoding worker creates its reader.
  QThread::currentThread();
  RegisterUiResources();
  PreloadDecorativePicture();
  return argc;
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(StartEarly(argc), argv) { InstallFonts(); }

TApplication::~TApplication() { DiscardPreloadedPicture(); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
  // Handlers are wrapped by Guarded; this catches whatever still escapes an event.
  QString failure;
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    failure = CurrentExceptionMessage();
  }
  ShowFailure(failure);
  return false;
}

}  // namespace kx71
