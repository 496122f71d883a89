// Waiting on a condition with a time-out: the one wait that tests, benchmarks and tools use, so that
// none of them sleeps a fixed time and hopes.
#pragma once

#include <chrono>
#include <functional>

namespace kx71 {

// Checks `condition` until it holds or `timeout` has passed, running `between` after each check that
// failed (a 2 ms sleep when empty: pass one that processes messages or waits on a change instead);
// returns the last value of `condition`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10),
               const std::function<void()>& between = {});

}  // namespace kx71
