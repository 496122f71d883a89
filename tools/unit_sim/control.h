// Commands that reach a running simulated unit through a named pipe, one per line:
//   fault MODE   change the fault mode (none, silent, short, badsum, nak, extra, garbage)
//   delay MS     wait MS milliseconds before each answer
//   baud B       pace sent and received characters at B bit/s (0: no pacing)
//   block HEX    replace the stored block (32 hexadecimal digits)
//   send HEX     send these bytes now, unasked (e.g. stale bytes for the program to discard)
//   state        log the unit's state (and rewrite the state file)
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/settings_block.h"
#include "unit.h"

namespace kx71 {

struct SimCommand {
  enum class Kind { Fault, Delay, Baud, Block, Send, State } kind = Kind::State;
  SimFault fault = SimFault::None;
  int value = 0;  // Delay, Baud
  SettingsBlock block{};
  Frame bytes;  // Send
};

// The command a line stands for, or nothing when it is not one.
std::optional<SimCommand> ParseSimCommand(std::string_view line);

// The reading end of the control pipe. The pipe is made when absent (and then removed again at the
// end); the unit holds a writing end itself, so writers may come and go without an end-of-file.
class TControlPipe {
 public:
  explicit TControlPipe(std::string path);  // throws std::runtime_error
  ~TControlPipe();
  TControlPipe(const TControlPipe&) = delete;
  TControlPipe& operator=(const TControlPipe&) = delete;

  int Fd() const { return read_; }
  // The complete lines waiting in the pipe.
  std::vector<std::string> ReadLines();

 private:
  std::string path_;
  bool made_ = false;
  int read_ = -1, write_ = -1;
  std::string pending_;
};

}  // namespace kx71
