// Closes what must not outlive the process when the toolkit ends it with exit() instead of
// returning from the message loop, as it does when the connection to the display breaks. An open
// port would otherwise keep its terminal's exclusive-use flag for as long as the line's other end
// is open.
#pragma once

#include <functional>

namespace kx71 {

class TCloseAtExit {
 public:
  // `close` runs if the process exits while this object exists; on the thread that called exit(),
  // which is the main thread when the toolkit gives up on its display.
  explicit TCloseAtExit(std::function<void()> close);
  ~TCloseAtExit();
  TCloseAtExit(const TCloseAtExit&) = delete;
  TCloseAtExit& operator=(const TCloseAtExit&) = delete;

 private:
  std::function<void()> close_;
};

}  // namespace kx71
