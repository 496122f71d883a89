// The session bus connection that Qt's accessibility bridge asks for when the window's first
// widgets are made, and waits for: the address it is looked for at, and its opening on a thread of
// its own while the window is built, which takes the connection's round trips off the window's way.
#pragma once

#include <string>
#include <thread>

namespace kx71 {

// The session bus address for a start where none is set: the socket in the user's runtime folder
// (XDG_RUNTIME_DIR, else /run/user/<uid>), where a running bus is found and a missing one fails at
// once. Left to itself, the bus library would launch a bus by running dbus-launch in a child forked
// from this threaded process and wait on the child's answer, and the window with it: for ever when
// the child hangs. Empty when `address` is set.
std::string SessionBusAddress(const char* address, const char* runtimeDir, unsigned uid);

// Sets DBUS_SESSION_BUS_ADDRESS to SessionBusAddress() when it is not set. First of all in a start,
// while no other thread reads the environment.
struct TSessionBusAddress {
  TSessionBusAddress();
};

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
