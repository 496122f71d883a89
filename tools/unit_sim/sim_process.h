// A running kx71-unit-sim for tests and benchmarks: started on a device-map directory with a control
// pipe and a state file, its log read back as frames, stopped (and its link removed) on destruction.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/settings_block.h"
#include "wait_until.h"

namespace kx71 {

class TSimProcess {
 public:
  // Starts the simulated unit (KX71_UNIT_SIM_PATH) as COM<port> in `devicemap` with the extra
  // command-line `args`; its log, control pipe and state file are kept in `devicemap` too. Waits up
  // to 10 s for the unit to announce its port; Ready() tells whether it did.
  TSimProcess(std::string devicemap, int port, std::vector<std::string> args = {});
  ~TSimProcess();
  TSimProcess(const TSimProcess&) = delete;
  TSimProcess& operator=(const TSimProcess&) = delete;

  bool Ready() const { return ready_; }
  pid_t Pid() const { return pid_; }
  const std::string& LogPath() const { return logPath_; }
  std::string LinkPath() const;

  // Every log line without its time stamp ("RX E5", "TX E5 5A ...").
  std::vector<std::string> Log() const;
  // The bytes of each log line of `kind` ("RX", "TX", "DROP", "STORE"), in order.
  std::vector<Frame> Frames(std::string_view kind) const;
  // Number of log lines of `kind`.
  std::size_t Count(std::string_view kind) const;

  // Sends a control command ("fault nak", "send AA BB", ...) and waits until the unit has applied
  // it; false when it did not within the time-out.
  bool Control(const std::string& command);
  // The block the unit holds now, from its state file.
  std::optional<SettingsBlock> StoredBlock() const;

  // Stops the unit with SIGTERM and waits for it; true when it ended normally.
  bool Stop();

 private:
  std::string devicemap_, logPath_, controlPath_, statePath_;
  int port_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace kx71
