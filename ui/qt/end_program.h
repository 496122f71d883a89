// Ending the program from outside (a signal, the window destroyed by another client) as the exit
// button does, whatever the window is showing at the time.
#pragma once

#include <QWidget>

namespace kx71 {

// Closes the window, which asks the logic first: a close deferred while a handler pumps messages
// is carried out once it returns. A closed window then ends every event loop, the failure box's
// and the list's included, so the program returns from its main loop and closes the port; waiting
// for the last window to close instead would leave the process running behind a box still open.
// Asked again (a second signal), it ends the loops again.
void EndProgram(QWidget& window);

}  // namespace kx71
