// The program entry: no command-line arguments are read.
#include "ui/qt/application.h"
#include "ui/qt/main_form.h"

int main(int argc, char** argv) {
  kx71::TApplication app(argc, argv);
  int result = 0;
  {
    kx71::TQtMainForm form;
    form.show();
    result = app.exec();
  }  // the window goes here, and with it the serial port component (closing an open port)
  return result;
}
