// A serial line in memory behind the component's device interface. The test plays the far end and
// the line itself: it delivers bytes, breaks and line errors, makes writes short, failing or stalled,
// makes driver calls fail, and observes what was written and how RTS/DTR moved, with times.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "comm/serial_device.h"

namespace kx71::testing {

using TFakeClock = std::chrono::steady_clock;

struct TFakeWrite {
  std::string bytes;             // what the write call moved
  std::int32_t requested = 0;    // what it was asked to move
  TFakeClock::time_point begun;  // when the write started
  TFakeClock::time_point ended;  // when it completed
};

struct TFakeLineChange {
  TEscape fn;
  TFakeClock::time_point at;
};

class TFakeLine {
 public:
  // --- the far end and the line
  // Bytes arrive at the port: one line event with received characters.
  void Deliver(const std::string& bytes);
  // One line event carrying any of: line errors (kCe... bits), a break, received bytes.
  void Event(std::int32_t errors, bool brk, const std::string& bytes);

  // --- what the port did
  std::string Written();
  std::vector<TFakeWrite> Writes();
  std::vector<TFakeLineChange> LineChanges();  // Escape calls only
  bool Rts();
  bool Dtr();
  TCommDcb State();
  std::int32_t QueueIn();
  std::int32_t QueueOut();
  std::int32_t ReadTimeout();
  std::int32_t WriteTimeout();
  std::int32_t InQueue();
  std::uint32_t EventMask();
  int Opens();        // devices handed out
  int OpenDevices();  // devices not yet destroyed
  std::vector<std::uint32_t> Purges();
  // Whether a device call was made while the device was being destroyed or after (never should).
  bool UsedAfterClose();

  // Waits until `pred` holds (checked whenever the fake changes, and every 10 ms), or `timeout`.
  bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // --- failures
  void FailOpen(bool on);
  void FailQueueSizes(bool on);
  void FailTimeouts(bool on);
  // SetState succeeds only for blocks `accept` takes (all, when empty).
  void AcceptState(std::function<bool(const TCommDcb&)> accept);
  // The next `count` writes fail at once, moving nothing and leaving `errors` pending.
  void FailNextWrites(int count, std::int32_t errors);
  // The next write moves only `bytes` and then fails, leaving `errors` pending.
  void ShortNextWrite(std::int32_t bytes, std::int32_t errors);
  // While stalled, writes stay pending (until released, or aborted by a transmit purge).
  void StallWrites(bool on);
  // How long written bytes take to leave the line after the write completed (default 0); a
  // negative span: they never leave (a line held off by flow control).
  void TransmitTakes(std::chrono::milliseconds span);

  // A factory that opens this line for every port number (unless failing); keeps the line alive.
  static TSerialDeviceFactory Factory(const std::shared_ptr<TFakeLine>& line);

 private:
  friend class TFakeDevice;
  std::mutex lock_;
  std::condition_variable changed_;

  std::string rx_;
  std::uint32_t pendingEvents_ = 0;
  std::int32_t pendingErrors_ = 0;
  bool eventWake_ = false;
  std::uint64_t rxAbort_ = 0;
  std::uint64_t txAbort_ = 0;

  std::string written_;
  std::vector<TFakeWrite> writes_;
  std::vector<TFakeLineChange> lineChanges_;
  std::vector<std::uint32_t> purges_;
  bool rts_ = false;
  bool dtr_ = false;
  TCommDcb state_{};
  std::int32_t queueIn_ = 0, queueOut_ = 0;
  std::int32_t readTimeout_ = 0, writeTimeout_ = 0;
  std::uint32_t eventMask_ = 0;
  int opens_ = 0;
  int openDevices_ = 0;
  bool usedAfterClose_ = false;

  bool failOpen_ = false;
  bool failQueueSizes_ = false;
  bool failTimeouts_ = false;
  std::function<bool(const TCommDcb&)> accept_;
  int failWrites_ = 0;
  std::int32_t failWriteErrors_ = 0;
  std::int32_t shortWrite_ = -1;
  std::int32_t shortWriteErrors_ = 0;
  bool stall_ = false;
  std::chrono::milliseconds transmitTime_{0};
  TFakeClock::time_point lastWriteEnded_{};
};

}  // namespace kx71::testing
