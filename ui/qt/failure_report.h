// The failure box on Qt: a failure that no handler catches is shown in a modal message box with an
// error icon and an OK button, captioned and worded by the window's rule, and the program goes on.
#pragma once

#include <QString>
#include <string>

#include "ui/form/controls.h"

namespace kx71 {

// The running program's file name.
std::string ProgramFileName();

// Shows the box; returns when the user has closed it.
void ShowFailureBox(const std::string& caption, const std::string& text);

// Reports `message` by the rule: the program's title as caption, the message with its full stop.
void ShowFailure(const std::string& message);

// The failure box as a sink, for failures outside the window's own handlers (posted tasks, the
// application's default handler).
TFailureSink& QtFailureBox();

}  // namespace kx71
