// A main thread without a GUI: posted tasks wait in a queue until the owning thread calls
// ProcessMessages. Used by command-line programs, benchmarks and tests.
#pragma once

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
    queue_.push_back(std::move(task));
  }

  void ProcessMessages() override {
    // Tasks posted while these run wait for the next call, as window messages would.
    std::deque<std::function<void()>> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(queue_);
    }
    for (auto& task : batch) task();
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace kx71
