// Carries the workers' reports to the component on the main thread, in the order sent. A report
// is either posted (the sender goes on at once) or sent (the sender waits until the main thread
// has handled it, or until the sender is told to give up, so a main thread that waits for the
// worker without processing messages never deadlocks with it).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "comm/main_thread.h"

namespace kx71 {

// Report numbers.
inline constexpr std::uint32_t kCommMsgReceive = 0x0500;  // characters were received
inline constexpr std::uint32_t kCommMsgBreak = 0x0501;    // a break; param: the event mask
inline constexpr std::uint32_t kCommMsgError = 0x0502;    // line errors; param: the error bits

struct TCommReport {
  std::uint32_t msg = 0;
  std::int32_t param = 0;
};

class TCommNotifier {
 public:
  // Runs on the main thread for each report; `session` is the one the sender gave.
  using THandler = std::function<void(const TCommReport& report, std::uint64_t session)>;

  TCommNotifier(TMainThread& mainThread, THandler handler);
  // Main thread. Reports still on their way are dropped when they arrive.
  ~TCommNotifier();
  TCommNotifier(const TCommNotifier&) = delete;
  TCommNotifier& operator=(const TCommNotifier&) = delete;

  // Any thread: queues the reports and returns.
  void Post(std::vector<TCommReport> reports, std::uint64_t session);
  // Any thread but the main one: queues the reports and waits until the main thread has handled
  // them (true) or `giveUp` is found set (false). Whoever sets `giveUp` then calls WakeSenders.
  bool Send(std::vector<TCommReport> reports, std::uint64_t session, const std::atomic<bool>& giveUp);
  // Makes waiting senders look at their give-up flags again.
  void WakeSenders();

  // Main thread: handles a report at once.
  void Dispatch(const TCommReport& report, std::uint64_t session);

 private:
  struct State {
    THandler handler;  // main thread only; cleared when the notifier goes
    std::mutex lock;
    std::condition_variable handled;
  };

  void Queue(std::vector<TCommReport> reports, std::uint64_t session, std::shared_ptr<bool> done);

  TMainThread& mainThread_;
  std::shared_ptr<State> state_;
};

}  // namespace kx71
