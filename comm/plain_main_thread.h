// A main thread without a GUI: posted tasks wait in a queue until the owning thread calls
// ProcessMessages. Used by command-line programs, benchmarks and tests.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "comm/main_thread.h"

namespace kx71 {

class TPlainMainThread : public TMainThread {
 public:
  void Post(std::function<void()> task) override {
    std::lock_guard lock(mutex_);
    queue_.push_back({nextSeq_++, std::move(task)});
  }

  // Runs the tasks that were waiting when it was called, one at a time from the front of the one
  // queue, so a task that pumps (a nested call) takes the next ones in order rather than jumping
  // ahead of them. Tasks posted meanwhile wait for the next call, as window messages would. A task
  // that throws ends the call; the tasks behind it stay queued.
  void ProcessMessages() override {
    std::uint64_t end;
    {
      std::lock_guard lock(mutex_);
      end = nextSeq_;
    }
    for (;;) {
      std::function<void()> task;
      {
        std::lock_guard lock(mutex_);
        if (queue_.empty() || queue_.front().seq >= end) return;
        task = std::move(queue_.front().run);
        queue_.pop_front();
      }
      task();
    }
  }

 private:
  struct Task {
    std::uint64_t seq;
    std::function<void()> run;
  };
  std::mutex mutex_;
  std::deque<Task> queue_;
  std::uint64_t nextSeq_ = 0;
};

}  // namespace kx71
