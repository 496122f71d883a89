// The serial component's view of the GUI thread on Windows: posted tasks travel through the thread's
// message queue to a hidden message-only window, so they run in the message loop in posting order,
// and ProcessMessages is one pass of that loop from inside a handler.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>

#include "comm/main_thread.h"
#include "comm/task_queue.h"

namespace kx71 {

class TWinMainThread : public TMainThread {
 public:
  // Call on the GUI thread: the hidden window belongs to the thread that creates it.
  TWinMainThread();
  ~TWinMainThread() override;
  TWinMainThread(const TWinMainThread&) = delete;
  TWinMainThread& operator=(const TWinMainThread&) = delete;

  void Post(std::function<void()> task) override;
  void ProcessMessages() override;

  // Runs the message loop until WM_QUIT; its exit code.
  int Run();

  // Seen before a message is dispatched, in the main loop and in ProcessMessages alike; returns
  // true for a message it has handled (the window's own Tab chain).
  std::function<bool(MSG&)> filter;
  // Runs each posted task (the window reports a failure that escapes it).
  std::function<void(const std::function<void()>&)> runTask;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void RunNext();
  void Deliver(MSG& msg);

  HWND hwnd_ = nullptr;
  TTaskQueue tasks_;
};

}  // namespace kx71
