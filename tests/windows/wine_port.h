// The COM port that scripts/test-windows maps to the pseudo-terminal peer, and waits on conditions
// for the tests that use it.
#pragma once

#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "support/comm_test_util.h"  // PumpUntil
#include "comm/main_thread.h"
#include "protocol/settings_block.h"
#include "windows/peer_commands.h"

namespace kx71::wine {

inline constexpr int kPort = KX71_WINE_TEST_PORT;

// A fixture command for the peer: prefix, letter, argument.
inline Frame PeerCommand(char letter, int arg) {
  return Frame{static_cast<char>(peer::kPrefix), letter, static_cast<char>(arg)};
}

using testing::PumpUntil;

}  // namespace kx71::wine
