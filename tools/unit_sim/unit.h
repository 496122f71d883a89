// What the simulated unit does with the bytes it receives: it answers the read request with its
// stored block, stores the block of a well-formed write request, drops whatever it cannot make sense
// of, and can be told to misbehave in the ways a test needs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fixture_commands.h"
#include "protocol/exchange.h"
#include "protocol/settings_block.h"

namespace kx71 {

enum class SimFault {
  None,
  Silent,   // receives (and stores nothing) but never answers
  Short,    // the reply lacks its last byte
  Badsum,   // byte 17 of the reply one higher (the read reply's checksum; echoed in a write reply)
  Nak,      // write requests are refused with kNak and nothing is stored; reads are answered
  Extra,    // kSurplus follows the reply
  Garbage,  // kNoise comes before the reply
};

inline constexpr std::array kSimFaults = {SimFault::None,   SimFault::Silent, SimFault::Short,
                                          SimFault::Badsum, SimFault::Nak,    SimFault::Extra,
                                          SimFault::Garbage};

// "none", "silent", "short", "badsum", "nak", "extra", "garbage".
std::optional<SimFault> ParseSimFault(std::string_view name);
const char* SimFaultName(SimFault fault);

inline constexpr std::array<std::uint8_t, 3> kSurplus = {0xEE, 0x11, 0xEE};
inline constexpr std::array<std::uint8_t, 3> kNoise = {0x00, 0xFF, 0x3C};

template <std::size_t N>
Frame SimBytes(const std::array<std::uint8_t, N>& bytes) {
  return Frame(bytes.begin(), bytes.end());
}

// A plausible unit: marker 0x5A, identifiers 0x123456 and 0x654321, overtake on, count 5, time 3,
// power 74.
SettingsBlock DefaultSimBlock();

class TSimUnit {
 public:
  enum class StepKind {
    Pending,  // the byte belongs to a request still being received
    Dropped,  // the byte made no sense and was dropped
    Request,  // the byte completed a request
    Echo,     // the byte is to be echoed (reply)
    Fixture,  // the byte completed a fixture command (request)
  };
  struct Step {
    StepKind kind = StepKind::Pending;
    Frame request;        // Request: the whole request
    Frame reply;          // Request: the bytes to send back (empty when silent)
    bool stored = false;  // Request: a write request's block was stored
  };

  explicit TSimUnit(const SettingsBlock& block) : block_(block) {}

  // Takes fixture commands (fixture_commands.h); the unit itself carries out kEcho.
  void TakeFixtureCommands(bool on) { fixtures_ = on; }

  Step Feed(std::uint8_t byte);
  // True while a write request (or a fixture command) is partly received.
  bool Partial() const { return !partial_.empty(); }
  // Gives up a partly received write request (the line went quiet); returns the bytes dropped.
  Frame Abandon();

  const SettingsBlock& Block() const { return block_; }
  void SetBlock(const SettingsBlock& block) { block_ = block; }
  SimFault Fault() const { return fault_; }
  void SetFault(SimFault fault) { fault_ = fault; }
  int Reads() const { return reads_; }
  int Writes() const { return writes_; }

 private:
  Step Answer(Frame request, Frame reply);

  SettingsBlock block_;
  SimFault fault_ = SimFault::None;
  Frame partial_;
  int reads_ = 0, writes_ = 0;
  bool fixtures_ = false;
  unsigned echo_ = 0;  // bytes still to echo
};

}  // namespace kx71
