#include "pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace kx71 {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string Directory(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TPtyLine::TPtyLine(std::string link, bool holdDevice) : link_(std::move(link)), holdDevice_(holdDevice) {
  Open();
}

TPtyLine::~TPtyLine() {
  RemoveLink();
}

void TPtyLine::Open() {
  TUniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!master) Fail("posix_openpt");
  if (::grantpt(master) != 0) Fail("grantpt");
  if (::unlockpt(master) != 0) Fail("unlockpt");
  char name[256];
  if (::ptsname_r(master, name, sizeof name) != 0) Fail("ptsname");

  // A fresh line is cooked (echo, CR/LF translation, XON/XOFF); termios calls on the master set
  // the line itself.
  termios tio{};
  if (::tcgetattr(master, &tio) != 0) Fail("tcgetattr");
  ::cfmakeraw(&tio);
  if (::tcsetattr(master, TCSANOW, &tio) != 0) Fail("tcsetattr");
  TUniqueFd held;
  if (holdDevice_) {
    held = TUniqueFd(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!held) Fail(std::string("open ") + name);
  }

  const std::string dir = Directory(link_);
  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) Fail("mkdir " + dir);
  struct stat st {};
  if (::lstat(link_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    errno = EEXIST;
    Fail(link_ + " exists and is not a link");
  }
  // Link under a private name first, then rename: the port name never names a half-made link.
  const std::string temp = link_ + ".tmp" + std::to_string(::getpid());
  ::unlink(temp.c_str());
  if (::symlink(name, temp.c_str()) != 0) Fail("symlink " + temp);
  if (::rename(temp.c_str(), link_.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    errno = error;
    Fail("rename " + link_);
  }
  master_ = std::move(master);
  held_ = std::move(held);
  device_ = name;
}

void TPtyLine::HangUp() {
  master_ = TUniqueFd();
}

void TPtyLine::Renew() {
  // The link goes first: a freed pseudo-terminal number may soon belong to another program, and an
  // open through a stale link would reach that one.
  RemoveLink();
  master_ = TUniqueFd();
  held_ = TUniqueFd();
  Open();
}

void TPtyLine::ClaimAsControllingTerminal() {
  TUniqueFd device(::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!device) Fail("open " + device_);
  // The claim outlives the descriptor.
  if (::ioctl(device, TIOCSCTTY, 0) != 0) Fail("TIOCSCTTY " + device_);
}

void TPtyLine::RemoveLink() {
  char target[256];
  const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
  if (n < 0) return;
  target[n] = '\0';
  if (device_ == target) ::unlink(link_.c_str());
}

bool TPtyLine::Send(std::string_view bytes, std::chrono::milliseconds roomWait) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EAGAIN) {
      // The device's receive queue is full: wait for room.
      pollfd p{master_, POLLOUT, 0};
      if (::poll(&p, 1, static_cast<int>(roomWait.count())) != 1 || (p.revents & POLLOUT) == 0) return false;
    } else if (!(n < 0 && errno == EINTR)) {
      return false;
    }
  }
  return true;
}

std::string TPtyLine::Receive(std::size_t n, std::chrono::milliseconds timeout) {
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

std::string TPtyLine::Drain() {
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
  // Made and dropped while the test or benchmark has no port open, so no thread reads it meanwhile.
  ::setenv("KX71_DEVICEMAP", dir_.c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
}

TPtyDeviceMap::~TPtyDeviceMap() {
  lines_.clear();
  ::unsetenv("KX71_DEVICEMAP");  // NOLINT(concurrency-mt-unsafe)
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

TPtyLine& TPtyDeviceMap::Add(std::int32_t portNo) {
  lines_.push_back(std::make_unique<TPtyLine>((dir_ / ("COM" + std::to_string(portNo))).string(), true));
  return *lines_.back();
}

}  // namespace kx71
