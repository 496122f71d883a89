// The program entry on Windows: no command-line arguments are read.
#include "ui/win32/win_main_form.h"

int main() {
  int result = 0;
  {
    kx71::TWinMainForm form;
    form.Show();
    result = form.Run();
  }  // the window goes here, and with it the serial port component (closing an open port)
  return result;
}
