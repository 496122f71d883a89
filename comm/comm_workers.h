// The component's two workers: the transmit worker writes queued blocks in order (turning RTS around
// them for half-duplex links) and the receive worker turns line events into reports for the main
// thread. Both are owned by the component, which ends and joins them before the device goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "comm/comm_enums.h"
#include "comm/comm_notifier.h"
#include "comm/serial_device.h"

namespace kx71 {

// What Write, PurgeTrans and the transmit worker share. No thread holds both locks at once.
class TTransShared {
 public:
  std::mutex portLock;  // around each write start and each transmit purge

  // The counters of blocks queued and not yet handled, each read or change under their own lock.
  void Reset();
  void BlockQueued(std::int32_t bytes);
  // A block handled (written, discarded or never handed over); the counters never go below 0.
  void BlockDone(std::int32_t bytes);
  std::int32_t PendingBytes();
  std::int32_t PendingBlocks();

 private:
  std::mutex countLock_;
  std::int32_t pendingBytes_ = 0;
  std::int32_t pendingBlocks_ = 0;
};

class TCommTransThread {
 public:
  TCommTransThread(TSerialDevice& device, TTransShared& shared, TCommNotifier& notifier,
                   std::uint64_t session);
  ~TCommTransThread();  // terminates and joins
  TCommTransThread(const TCommTransThread&) = delete;
  TCommTransThread& operator=(const TCommTransThread&) = delete;

  // Starts the thread; throws std::system_error when it cannot be created.
  void Start();
  // Hands a block over for writing after those handed over before; false when it could not be
  // queued (the caller still owns the count it added).
  bool PostBlock(std::vector<std::uint8_t> block);
  // Marks the worker terminated and wakes it; Join then waits until it has ended.
  void Terminate();
  void Join();

  // While set, queued blocks are discarded unwritten (and still uncounted).
  std::atomic<bool> Purge{false};
  // One character's time in ms, plus one: the RTS turn-around margin.
  std::atomic<std::int32_t> CharTime{0};
  std::atomic<TCommFlowCtrls> FlowCtrl{cfcNone};

 private:
  struct Message {
    bool write = false;  // false: a wake-up only
    std::vector<std::uint8_t> block;
  };

  void Execute();
  void WriteBlock(const std::vector<std::uint8_t>& block);
  void TurnOn(TCommFlowCtrls flow);
  void TurnOff(TCommFlowCtrls flow);
  void Pause(std::int32_t ms);  // ends early when terminated
  void ReportLineErrors();
  bool Stopped() const { return Purge.load() || terminated_.load(); }

  TSerialDevice& device_;
  TTransShared& shared_;
  TCommNotifier& notifier_;
  const std::uint64_t session_;
  std::atomic<bool> terminated_{false};
  std::mutex queueLock_;
  std::condition_variable queueChanged_;
  std::deque<Message> queue_;
  std::thread thread_;
};

class TCommReceiveThread {
 public:
  TCommReceiveThread(TSerialDevice& device, TCommNotifier& notifier, std::uint64_t session);
  ~TCommReceiveThread();  // terminates and joins
  TCommReceiveThread(const TCommReceiveThread&) = delete;
  TCommReceiveThread& operator=(const TCommReceiveThread&) = delete;

  void Start();  // throws std::system_error when the thread cannot be created
  // Marks the worker terminated and wakes it, also from a wait for the main thread.
  void Terminate();
  void Join();

 private:
  void Execute();

  TSerialDevice& device_;
  TCommNotifier& notifier_;
  const std::uint64_t session_;
  std::atomic<bool> terminated_{false};
  std::thread thread_;
};

}  // namespace kx71
