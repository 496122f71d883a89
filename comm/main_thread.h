// What the serial port component needs of the program's main (GUI) thread.
//
// The component's events run on the main thread. Its workers hand reports over with Post; a report
// the worker waits on is posted and then awaited by the component itself,
// so that the wait can be abandoned when the port closes (the main thread may be waiting for the
// worker at that moment without processing messages).
#pragma once

#include <functional>

namespace kx71 {

class TMainThread {
 public:
  virtual ~TMainThread() = default;

  // Queues `task` to run on the main thread, after every task posted before it. Safe from any
  // thread; never runs `task` inside the call.
  virtual void Post(std::function<void()> task) = 0;

  // Main thread only: handles every waiting window message and posted task, then returns.
  virtual void ProcessMessages() = 0;
};

}  // namespace kx71
