// Fixture commands of the simulated unit (given --fixture): kPrefix, a letter and one argument byte,
// sent over the line by a test to stage what a real unit cannot be asked for. Header only, so that
// tests built for another system (the Windows build) can speak them too.
#pragma once

#include <cstdint>

#include "protocol/settings_block.h"

namespace kx71::fixture {

inline constexpr std::uint8_t kPrefix = 0xA5;
inline constexpr char kJunk = 'J';    // send n junk bytes at once (see Junk)
inline constexpr char kEcho = 'E';    // echo the next n bytes back as they arrive
inline constexpr char kSplit = 'S';   // send the next reply in two halves, n x 10 ms apart
inline constexpr char kHangUp = 'H';  // close the line; offer a new one after n x 10 ms

inline Frame Command(char letter, std::uint8_t arg) {
  return Frame{static_cast<char>(kPrefix), letter, static_cast<char>(arg)};
}

// The junk bytes: 0x80, 0x81, ... (none of them starts a request).
inline Frame Junk(unsigned count) {
  Frame junk;
  for (unsigned i = 0; i < count; ++i) junk.push_back(static_cast<char>(0x80 + i));
  return junk;
}

}  // namespace kx71::fixture
