// A main thread without a GUI: posted tasks wait in a queue until the owning thread calls
// ProcessMessages. Used by command-line programs, benchmarks and tests.
#pragma once

#include <functional>
#include <utility>

#include "comm/main_thread.h"
#include "comm/task_queue.h"

namespace kx71 {

class TPlainMainThread : public TMainThread {
 public:
  void Post(std::function<void()> task) override { tasks_.Push(std::move(task)); }

  // Runs the tasks that were waiting when it was called, one at a time from the front of the one
  // queue, so a task that pumps (a nested call) takes the next ones in order rather than jumping
  // ahead of them. Tasks posted meanwhile wait for the next call, as window messages would. A task
  // that throws ends the call; the tasks behind it stay queued.
  void ProcessMessages() override {
    const TTaskQueue::TTicket end = tasks_.End();
    while (std::function<void()> task = tasks_.Pop(end)) task();
  }

 private:
  TTaskQueue tasks_;
};

}  // namespace kx71
