// The simulated unit's service loop: it reads what the program sends, lets the unit answer, paces
// the line like a real one, obeys control commands and logs every frame.
#pragma once

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <csignal>
#include <string>

#include "control.h"
#include "pty_line.h"
#include "sim_log.h"
#include "unit.h"

namespace kx71 {

struct SimTiming {
  int delayMs = 0;  // wait before each answer
  int baud = 0;     // characters paced at 10 bits each at this rate; 0: no pacing
};

class TSimServer {
 public:
  // `control` may be null (no control pipe); `statePath` may be empty (no state file).
  TSimServer(TPtyLine& line, TSimUnit& unit, TSimLog& log, TControlPipe* control, SimTiming timing,
             std::string statePath);

  // Serves until one of `stopSignals` comes; sets `stop` to it. The caller blocks them and handles
  // them by setting `stop`; `waitMask` is the signal mask to wait with, in which they are open.
  void Run(volatile std::sig_atomic_t& stop, const sigset_t& waitMask, const sigset_t& stopSignals);

  // Logs the unit's state as a STATE line and rewrites the state file.
  void ReportState();

 private:
  using Clock = std::chrono::steady_clock;

  // Whether a stop signal came. A wait that returns ready at once leaves a blocked signal pending
  // without running its handler, so pending signals are looked at too.
  bool Stopping();
  // Waits until `deadline`; false when a stop signal came first.
  bool PauseUntil(Clock::time_point deadline);
  Clock::duration CharTime() const;
  // Reads and answers everything waiting; false when the program's side has hung up.
  bool ServeInput();
  void Receive(const char* bytes, std::size_t count, Clock::time_point at);
  void Send(const Frame& bytes);
  bool LineHungUp() const;
  void HandleControl();
  void Apply(const SimCommand& cmd);
  void WriteStateFile() const;

  TPtyLine& line_;
  TSimUnit& unit_;
  TSimLog& log_;
  TControlPipe* control_;
  SimTiming timing_;
  std::string statePath_;
  volatile std::sig_atomic_t* stop_ = nullptr;
  const sigset_t* waitMask_ = nullptr;
  const sigset_t* stopSignals_ = nullptr;
  Clock::time_point lastArrival_{};      // when the last received character finished on the line
  Clock::time_point partialDeadline_{};  // a partly received request is dropped after this
};

}  // namespace kx71
