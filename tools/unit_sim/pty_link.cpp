#include "pty_link.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kx71 {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::generic_category().message(errno));
}

std::string Directory(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TPtyLink::TPtyLink(std::string link) : link_(std::move(link)) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  try {
    if (grantpt(master_) != 0) Fail("grantpt");
    if (unlockpt(master_) != 0) Fail("unlockpt");
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) Fail("ptsname");
    device_ = name;

    // A fresh line is cooked (echo, CR/LF translation, XON/XOFF); termios calls on the master set
    // the line itself.
    termios tio{};
    if (tcgetattr(master_, &tio) != 0) Fail("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(master_, TCSANOW, &tio) != 0) Fail("tcsetattr");

    const std::string dir = Directory(link_);
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) Fail("mkdir " + dir);
    struct stat st {};
    if (lstat(link_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      errno = EEXIST;
      Fail(link_ + " exists and is not a link");
    }
    // Link under a private name first, then rename: the port name never names a half-made link.
    const std::string temp = link_ + ".tmp" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(device_.c_str(), temp.c_str()) != 0) Fail("symlink " + temp);
    if (rename(temp.c_str(), link_.c_str()) != 0) {
      unlink(temp.c_str());
      Fail("rename " + link_);
    }
  } catch (...) {
    close(master_);
    throw;
  }
}

TPtyLink::~TPtyLink() {
  RemoveLink();
  close(master_);
}

void TPtyLink::ClaimAsControllingTerminal() {
  const int slave = open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) Fail("open " + device_);
  const bool claimed = ioctl(slave, TIOCSCTTY, 0) == 0;
  // The claim outlives the descriptor; holding it open would hide the program's hang-ups.
  close(slave);
  if (!claimed) Fail("TIOCSCTTY " + device_);
}

void TPtyLink::RemoveLink() {
  char target[256];
  const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
  if (n < 0) return;
  target[n] = '\0';
  if (device_ == target) unlink(link_.c_str());
}

}  // namespace kx71
