// What the window's logic needs of the front end that carries it.
#pragma once

#include <string>

#include "comm/main_thread.h"

namespace kx71 {

class TControl;

class TFormHost {
 public:
  virtual ~TFormHost() = default;

  // The GUI thread: posting from any thread, and one pass of the message loop from inside a handler
  // (the logic holds the busy depth around it, so a close it delivers is deferred). Asked for once,
  // while TMainForm is constructed: the front end creates it first and keeps it past the logic.
  virtual TMainThread& MainThread() = 0;

  // Moves the native keyboard focus to `control`'s widget. The logic has already recorded the focus
  // and runs the leave event of the control that had it, so the front end need not report this
  // move back (reporting it is harmless: UserFocused ignores the control that has the focus).
  virtual void FocusControl(TControl& control) = 0;

  // Closes the native window now; its close path asks TMainForm::CloseQuery first.
  virtual void CloseWindow() = 0;
  // The same, from a message posted now: the close deferred while a handler pumped messages.
  virtual void PostCloseWindow() = 0;

  // The running program's file name (for the failure box's caption).
  virtual std::string ProgramFileName() = 0;
  // Shows a modal message box with an error icon and an OK button; returns once it is closed.
  virtual void ShowFailureBox(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kx71
