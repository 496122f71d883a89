#include "support/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kx71::testing {

namespace {
[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

TPtyPort::TPtyPort(std::int32_t portNo, const std::filesystem::path& mapDir) : portNo_(portNo) {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) Fail("openpty");
  slavePath_ = name;
  // Raw from the start, so nothing sent before the component sets the line up is echoed back.
  termios t{};
  ::tcgetattr(slave_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave_, TCSANOW, &t);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  std::filesystem::create_symlink(slavePath_, mapDir / ("COM" + std::to_string(portNo)));
}

TPtyPort::~TPtyPort() {
  ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

void TPtyPort::HangUp() {
  ::close(master_);
  master_ = -1;
}

void TPtyPort::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EAGAIN) {
      pollfd p{master_, POLLOUT, 0};
      ::poll(&p, 1, 100);
    } else if (!(n < 0 && errno == EINTR)) {
      Fail("write to pty master");
    }
  }
}

std::string TPtyPort::Receive(std::size_t n, std::chrono::milliseconds timeout) {
  std::string out;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (out.size() < n) {
    out += Drain();
    if (out.size() >= n) break;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{master_, POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
  }
  return out;
}

std::string TPtyPort::Drain() {
  std::string out;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0)
      out.append(buf, static_cast<std::size_t>(n));
    else if (!(n < 0 && errno == EINTR))
      break;
  }
  return out;
}

TPtyDeviceMap::TPtyDeviceMap() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kx71-ptymap-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
  dir_ = pattern;
  ::setenv("KX71_DEVICEMAP", dir_.c_str(), 1);
}

TPtyDeviceMap::~TPtyDeviceMap() {
  ports_.clear();
  ::unsetenv("KX71_DEVICEMAP");
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

TPtyPort& TPtyDeviceMap::Add(std::int32_t portNo) {
  ports_.push_back(std::make_unique<TPtyPort>(portNo, dir_));
  return *ports_.back();
}

}  // namespace kx71::testing
