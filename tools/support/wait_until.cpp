#include "wait_until.h"

#include <thread>

namespace kx71 {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               const std::function<void()>& between) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (between)
      between();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace kx71
