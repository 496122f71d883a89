// The simulated unit's command line.
#pragma once

#include <string>
#include <variant>

#include "protocol/settings_block.h"
#include "unit.h"

namespace kx71 {

struct SimOptions {
  std::string devicemap;                    // --devicemap DIR: where the COM<port> link goes
  int port = 0;                             // --port N
  std::string link;                         // --link PATH: the link's path instead of the two above
  std::string pidfile;                      // --pidfile FILE
  SettingsBlock block = DefaultSimBlock();  // --block HEX
  SimFault fault = SimFault::None;          // --fault MODE
  int delayMs = 0;                          // --delay MS
  int baud = 0;                             // --baud B (0: no pacing)
  std::string control;                      // --control FIFO
  std::string state;                        // --state FILE
  bool exitWithParent = false;              // --exit-with-parent
  bool ownTerminal = false;                 // --own-terminal
  bool holdLine = false;                    // --hold-line
  bool fixture = false;                     // --fixture

  // Where the line is linked: --link, or COM<port> in --devicemap.
  std::string LinkPath() const { return link.empty() ? devicemap + "/COM" + std::to_string(port) : link; }
};

inline constexpr const char* kSimUsage =
    "usage: kx71-unit-sim (--devicemap DIR --port N | --link PATH) [--block HEX] [--fault MODE]\n"
    "                     [--delay MS] [--baud B] [--control FIFO] [--state FILE] [--pidfile FILE]\n"
    "                     [--exit-with-parent] [--own-terminal] [--hold-line] [--fixture]\n"
    "  --link PATH     link the line at PATH instead of DIR/COM<N>\n"
    "  --block HEX     the 16 stored bytes as 32 hexadecimal digits\n"
    "  --fault MODE    none, silent, short, badsum, nak, extra or garbage\n"
    "  --delay MS      wait before each answer\n"
    "  --baud B        pace characters at B bit/s, 10 bits each (0: no pacing)\n"
    "  --control FIFO  read commands from this named pipe (made if absent): fault MODE, delay MS,\n"
    "                  baud B, block HEX, send HEX, state\n"
    "  --state FILE    keep the unit's state (block, fault, delay, baud, reads, writes) in FILE\n"
    "  --exit-with-parent  stop (and remove the link) when the program that started it ends\n"
    "  --own-terminal  make the line its own controlling terminal in a session of its own, so that\n"
    "                  no other session leader that opens it (wineserver) takes it over\n"
    "  --pidfile FILE  write the serving process's id to FILE (it may fork to lead a session)\n"
    "  --hold-line     keep the line's device open too, so that what the unit sent outlasts the\n"
    "                  program's close (the program's hang-ups are then not seen)\n"
    "  --fixture       take fixture commands: A5 then J n (n junk bytes), E n (echo n bytes),\n"
    "                  S n (next reply in halves n x 10 ms apart), H n (hang up, new line n x 10 ms later)\n";

// The options, or the reason the command line is wrong ("help" for --help).
std::variant<SimOptions, std::string> ParseSimOptions(int argc, const char* const* argv);

}  // namespace kx71
