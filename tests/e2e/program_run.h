// The real program as a process of its own on an X server of its own (Xvfb, no window manager),
// started as this user or, when the tests run as root, as an unprivileged one; driven from outside
// with xdotool as another X client would.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "virtual_display.h"

namespace kx71::e2e {

enum class TRunAs { ThisUser, Unprivileged };
// Where the program's standard error goes: a file the test reads (Stderr()), or a pipe whose reader
// has gone, as when the program was started as `kx71-vantor-manager 2>&1 | head -0`.
enum class TErrorOutput { File, ClosedPipe };

// The user an unprivileged run takes, and whether this process can take it.
inline constexpr uid_t kUnprivilegedId = 65534;
bool CanRunUnprivileged();

// A copy of `program` in a folder of its own that every user may enter, made once per program and
// removed when the tests end; `program` itself when the copy cannot be made.
std::string StagedForEveryone(const std::string& program);

// Gives an unprivileged run access to `path` (a device or a directory) when the tests run as root.
void ShareWithUnprivileged(const std::string& path, TRunAs as);

// Whether the exclusive-use flag of the terminal behind `path` is set: read with TIOCGEXCL, or
// seen as EBUSY on opening it. Nothing when the device cannot be opened otherwise.
std::optional<bool> ExclusiveFlag(const std::string& path);

class TProgramRun {
 public:
  // Starts Xvfb on a free display and the program (the built one, or `program`) on it with
  // KX71_DEVICEMAP=`deviceMap`, and waits for its window; Ready() tells whether it showed. An
  // unprivileged run takes a copy staged where that user can reach it: the build may lie in a
  // folder only its owner may enter.
  // `pathFirst`, when given, is searched for commands before the system's folders.
  TProgramRun(TRunAs as, const std::string& deviceMap, const std::string& program = KX71_PROGRAM_PATH,
              TErrorOutput errors = TErrorOutput::File, const std::string& pathFirst = {});
  ~TProgramRun();  // ends the program and the X server if they still run
  TProgramRun(const TProgramRun&) = delete;
  TProgramRun& operator=(const TProgramRun&) = delete;

  bool Ready() const { return !window_.empty(); }
  const std::string& Window() const { return window_; }
  pid_t Pid() const { return program_; }

  // Runs xdotool with `args` on the program's display; its standard output, or nothing on failure.
  std::optional<std::string> Xdo(const std::string& args) const;
  // The window's size as the X server has it ("310x416").
  std::string WindowSize() const;
  // Opens the port selector's list with F4 and takes its last entry with End and Return.
  bool ChooseLastPort() const;
  // How many of the program's windows are mapped: the main window, and a box or a list over it.
  int VisibleWindows() const;
  // Destroys the program's window as another X client may (XDestroyWindow).
  bool DestroyWindow() const;
  // Ends the X server under the program.
  void StopDisplay();

  // Waits for the program to end: its wait status, or nothing when it still runs after `timeout`.
  std::optional<int> WaitExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // What the program wrote to standard error so far.
  std::string Stderr() const;
  // For a failure message: whether the program ended (and how) or still runs (with what each of its
  // threads waits in), then its standard error.
  std::string Diagnosis();

 private:
  TVirtualDisplay display_;
  std::string window_, errPath_;
  pid_t program_ = -1;
  std::optional<int> status_;
};

}  // namespace kx71::e2e
