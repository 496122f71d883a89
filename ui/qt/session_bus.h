// The session bus connection that Qt's accessibility bridge asks for when the window's first
// widgets are made. With no session bus running, the bus library first tries to launch one and
// the asking thread waits for that attempt; opening the connection on a thread of its own while
// the window is built takes that wait off the window's way.
#pragma once

#include <thread>

namespace kx71 {

class TSessionBusOpener {
 public:
  // Needs the application object.
  TSessionBusOpener();
  ~TSessionBusOpener();
  TSessionBusOpener(const TSessionBusOpener&) = delete;
  TSessionBusOpener& operator=(const TSessionBusOpener&) = delete;

 private:
  std::thread thread_;
};

}  // namespace kx71
