#include "ui/qt/close_on_signals.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>

#include "ui/qt/end_program.h"

namespace kx71 {
namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};
int wakePipe[2] = {-1, -1};  // the handler's only way to the main thread that is async-signal-safe
std::array<struct sigaction, kSignals.size()> previous{};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TCloseOnSignals::TCloseOnSignals(QWidget& window, TAfterwards afterwards)
    : QObject(&window), window_(window), afterwards_(afterwards) {
  if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char buffer[16];
    while (::read(wakePipe[0], buffer, sizeof buffer) > 0) {
    }
    EndProgram(window_);  // waits, like the exit button, until a handler that pumps messages returns
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &previous[i]);
}

TCloseOnSignals::~TCloseOnSignals() {
  if (!notifier_) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    ::sigaction(kSignals[i], afterwards_ == TAfterwards::Ignore ? &ignore : &previous[i], nullptr);
  delete notifier_;
  for (int& fd : wakePipe) {
    ::close(fd);
    fd = -1;
  }
}

}  // namespace kx71

#else  // Windows sends a GUI program no such signals; closing by the frame or the system goes as usual.

namespace kx71 {
TCloseOnSignals::TCloseOnSignals(QWidget& window, TAfterwards afterwards)
    : QObject(&window), window_(window), afterwards_(afterwards) {}
TCloseOnSignals::~TCloseOnSignals() = default;
}  // namespace kx71

#endif
