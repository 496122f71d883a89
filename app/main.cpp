// The program entry: no command-line arguments are read.
#include <csignal>

#include "ui/qt/application.h"
#include "ui/qt/close_at_exit.h"
#include "ui/qt/close_on_signals.h"
#include "ui/qt/close_on_window_loss.h"
#include "ui/qt/main_form.h"

int main(int argc, char** argv) {
  // Standard error may be a pipe whose reader has gone: a warning or a reason line written there
  // must not end the program (with its port held); the write just fails.
  std::signal(SIGPIPE, SIG_IGN);
  kx71::TApplication app(argc, argv);
  int result = 0;
  {
    kx71::TQtMainForm form;
    // Once the loop has ended the program is on its way out: later signals are ignored.
    kx71::TCloseOnSignals closeOnSignals(form, kx71::TCloseOnSignals::TAfterwards::Ignore);
    kx71::TCloseOnWindowLoss closeOnWindowLoss(form);
    // A lost display ends the process from inside the loop: the port is closed on the way out.
    kx71::TCloseAtExit closeAtExit([&form] { form.Logic().CommX1.Close(); });
    form.show();
    result = app.exec();
  }  // the window goes here, and with it the serial port component (closing an open port)
  return result;
}
