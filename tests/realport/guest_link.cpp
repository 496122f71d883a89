#include "guest_link.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace kx71::testing {

namespace {

using Clock = std::chrono::steady_clock;

int Console() {
  static const int fd = [] {
    const int f = ::open("/dev/hvc0", O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (f >= 0 && ::tcgetattr(f, &t) == 0) {
      ::cfmakeraw(&t);  // no echo of the answers, and no limit on their length
      ::tcsetattr(f, TCSANOW, &t);
    }
    return f;
  }();
  return fd;
}

}  // namespace

std::string AskHost(const std::string& request) {
  static int next = 0;
  const std::string id = std::to_string(++next);
  const int fd = Console();
  if (fd < 0) return "";
  std::fflush(stdout);
  const std::string line = "\n@@REQ " + id + " " + request + "\n";
  if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return "";
  const std::string want = "@@ACK " + id + " ";
  static std::string pending;
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Clock::now() < deadline) {
    for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
      std::string got = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (!got.empty() && got.back() == '\r') got.pop_back();
      if (got.rfind(want, 0) == 0) return got.substr(want.size());
    }
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) pending.append(buf, static_cast<std::size_t>(n));
  }
  return "";
}

std::string ProbeOpen(const std::string& user, const std::string& device) {
  static int next = 0;
  const std::string out = "/tmp/probe-" + std::to_string(::getpid()) + "-" + std::to_string(++next);
  {
    std::ofstream fifo("/run/probe");
    fifo << user << ' ' << device << ' ' << out << '\n';
  }
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    std::ifstream in(out);
    if (in) {
      std::string line;
      std::getline(in, line);
      return line;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "no answer";
}

}  // namespace kx71::testing
