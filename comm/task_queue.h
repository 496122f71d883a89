// The tasks posted to a main thread, in posting order: safe from any thread. Each main thread wakes
// its own loop (a window message, a queued Qt call, the owner's next pump) and takes them from here.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <utility>

namespace kx71 {

class TTaskQueue {
 public:
  using TTicket = std::uint64_t;  // a task's place in posting order

  // Appends `task`; the ticket it got.
  TTicket Push(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    queue_.push_back({next_, std::move(task)});
    return next_++;
  }

  // The ticket the next task pushed will get: Pop(End()) then takes only the tasks already queued.
  TTicket End() {
    std::lock_guard lock(mutex_);
    return next_;
  }

  // Removes and returns the oldest task if its ticket is below `before`; an empty function if none.
  std::function<void()> Pop(TTicket before = std::numeric_limits<TTicket>::max()) {
    std::lock_guard lock(mutex_);
    if (queue_.empty() || queue_.front().ticket >= before) return {};
    std::function<void()> task = std::move(queue_.front().run);
    queue_.pop_front();
    return task;
  }

 private:
  struct TTask {
    TTicket ticket;
    std::function<void()> run;
  };
  std::mutex mutex_;
  std::deque<TTask> queue_;
  TTicket next_ = 0;
};

}  // namespace kx71
