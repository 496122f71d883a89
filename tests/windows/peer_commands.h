// What the Windows tests and the pseudo-terminal peer (pty_peer.cpp) agree on: the peer's initial
// settings block and the fixture commands a test sends over the line to stage a situation.
#pragma once

#include <cstdint>

#include "protocol/settings_block.h"

namespace kx71::peer {

inline constexpr SettingsBlock kInitialBlock{0x5A, 0x12, 0x34, 0x56, 0x65, 0x43, 0x21, 0x09,
                                             0x01, 0x02, 0x03, 0x04, 0x05, 0x05, 0x02, 0x4A};

// A fixture command is kPrefix, a letter and one argument byte.
inline constexpr std::uint8_t kPrefix = 0xA5;
inline constexpr char kJunk = 'J';    // send n junk bytes (0x80 + i) at once
inline constexpr char kEcho = 'E';    // echo the next n bytes back as they arrive
inline constexpr char kSplit = 'S';   // send the next reply in two halves, n x 10 ms apart
inline constexpr char kHangUp = 'H';  // close the pseudo-terminal; offer a new one after n x 10 ms

}  // namespace kx71::peer
