// The guest tests' way to the host that runs them: a request line on the console, answered by the
// host with one line. See host_driver.cpp for the requests.
#pragma once

#include <string>

namespace kx71::testing {

// Sends `request` and waits (up to 30 s) for the host's answer; "" when none came.
std::string AskHost(const std::string& request);

// Asks the root probe service of the guest's init to open `device` as `user` (root, kx2) and
// returns what it saw: "open=OK flock=OK", "open=OK flock=EWOULDBLOCK", "open=EBUSY", ...
std::string ProbeOpen(const std::string& user, const std::string& device);

}  // namespace kx71::testing
