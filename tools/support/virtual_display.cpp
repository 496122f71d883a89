#include "virtual_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace kx71 {
namespace {

// One line from `fd`, or nothing when it does not come whole within `timeout`.
std::string ReadLine(int fd, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string text;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return {};
    if (ready <= 0) continue;
    char c = 0;
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    if (c == '\n') return text;
    text.push_back(c);
  }
}

}  // namespace

bool TVirtualDisplay::Start(const std::string& screen, std::chrono::milliseconds timeout) {
  Stop();
  // The server writes the display it took to this pipe.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  const std::string fdText = std::to_string(fds[1]);
  pid_ = fork();
  if (pid_ == 0) {
    fcntl(fds[1], F_SETFD, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  const std::string number = pid_ > 0 ? ReadLine(fds[0], timeout) : std::string();
  close(fds[0]);
  if (number.empty()) {
    Stop();
    return false;
  }
  display_ = ":" + number;
  return true;
}

void TVirtualDisplay::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  display_.clear();
}

}  // namespace kx71
