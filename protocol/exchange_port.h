// The three operations of a serial port that an exchange with the unit uses.
#pragma once

#include <atomic>
#include <cstdint>

#include "frame.h"

namespace kx71 {

class TExchangePort {
 public:
  virtual ~TExchangePort() = default;

  // Discards everything waiting in the receive path, and any read in progress.
  virtual void PurgeReceive() = 0;
  // Queues `text` for sending; true when queued (an empty text sends nothing and is true).
  virtual bool SendString(const Frame& text) = 0;
  // Reads up to `count` bytes, waiting at most the receive time-out; the number read, or -1 when
  // the port is closed or the read failed.
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;

  // One exchange at a time: true while an exchange on this port waits for its reply (a handler that
  // runs during the wait sees it and must not start another command).
  bool ExchangeActive() const noexcept { return exchangeActive_.load(); }
  // Claims the port for an exchange; false when one is already under way.
  bool TryBeginExchange() noexcept { return !exchangeActive_.exchange(true); }
  void EndExchange() noexcept { exchangeActive_.store(false); }

 private:
  std::atomic<bool> exchangeActive_{false};
};

}  // namespace kx71
