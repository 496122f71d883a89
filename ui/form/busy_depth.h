// How deep the main thread is inside handlers that pump messages, and the requests that wait
// until the outermost of them has returned (the window's close, a second command).
#pragma once

#include <functional>
#include <utility>

namespace kx71 {

class TBusyDepth {
 public:
  // Held for the whole of a handler (or a message pump) that lets other messages run before it ends.
  class [[nodiscard]] TGuard {
   public:
    explicit TGuard(TBusyDepth& depth) : depth_(depth) { ++depth_.depth_; }
    ~TGuard() { depth_.Leave(); }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

   private:
    TBusyDepth& depth_;
  };

  bool Busy() const { return depth_ > 0; }
  int Depth() const { return depth_; }

  // Runs when the last guard is released after DeferWhileBusy was called.
  void SetOnIdle(std::function<void()> onIdle) { onIdle_ = std::move(onIdle); }

  // True when a guard is held: the request is then remembered and OnIdle runs as the last guard drops.
  bool DeferWhileBusy() {
    if (!Busy()) return false;
    pending_ = true;
    return true;
  }
  bool Pending() const { return pending_; }

 private:
  void Leave() {
    if (--depth_ == 0 && pending_) {
      pending_ = false;
      if (onIdle_) onIdle_();
    }
  }

  int depth_ = 0;
  bool pending_ = false;
  std::function<void()> onIdle_;
};

}  // namespace kx71
