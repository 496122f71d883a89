// The program entry on Windows: no command-line arguments are read.
#include <windows.h>

#include "ui/win32/win_main_form.h"

int main() {
  // Held while the program runs: the installer and uninstaller look for it so as not to replace or
  // remove a running copy.
  const HANDLE running = CreateMutexW(nullptr, FALSE, L"Global\\KX71VantorManager");
  int result = 0;
  {
    kx71::TWinMainForm form;
    form.Show();
    result = form.Run();
  }  // the window goes here, and with it the serial port component (closing an open port)
  if (running != nullptr) CloseHandle(running);
  return result;
}
