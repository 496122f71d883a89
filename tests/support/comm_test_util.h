// Shared by the component's tests: a main thread to pump, and waits on conditions.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "wait_until.h"

namespace kx71::testing {

// A main thread that also counts what was posted to it.
class TCountingMainThread : public TPlainMainThread {
 public:
  void Post(std::function<void()> task) override {
    ++posted;
    TPlainMainThread::Post(std::move(task));
  }
  std::atomic<int> posted{0};
};

// Pumps the main thread's queue until `pred` holds or `timeout` passes; the final value of `pred`.
inline bool PumpUntil(TMainThread& main, const std::function<bool()>& pred,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  return WaitUntil(
      [&] {
        main.ProcessMessages();
        return pred();
      },
      timeout);
}

// Pumps for a while: used only to give something that must NOT happen a chance to happen.
inline void PumpFor(TMainThread& main, std::chrono::milliseconds span) {
  PumpUntil(
      main, [] { return false; }, span);
}

// Reads up to `n` bytes with the component's Read: what came, or "" when the read failed.
inline std::string ReadText(TCustomCommX& c, std::int32_t n) {
  std::string buf(static_cast<std::size_t>(n), '\0');
  const std::int32_t got = c.Read(buf.data(), n);
  buf.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return buf;
}

// Records the component's fixed pauses instead of sleeping them.
struct TPauseLog {
  std::vector<std::int32_t> pauses;
  std::function<void(std::int32_t)> Hook() {
    return [this](std::int32_t ms) { pauses.push_back(ms); };
  }
};

}  // namespace kx71::testing
