// The COM port that scripts/test-windows maps to the pseudo-terminal peer, and waits on conditions
// for the tests that use it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "comm/main_thread.h"
#include "protocol/settings_block.h"
#include "windows/peer_commands.h"

namespace kx71::wine {

inline constexpr int kPort = KX71_WINE_TEST_PORT;

// A fixture command for the peer: prefix, letter, argument.
inline Frame PeerCommand(char letter, int arg) {
  return Frame{static_cast<char>(peer::kPrefix), letter, static_cast<char>(arg)};
}

// Pumps `main` until `pred` holds or `timeout` passes; the final value of `pred`.
inline bool PumpUntil(TMainThread& main, const std::function<bool()>& pred,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    main.ProcessMessages();
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace kx71::wine
