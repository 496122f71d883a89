// kx71-unit-sim: plays the unit on a pseudo-terminal linked into a device-map directory as COM<n>,
// until SIGINT or SIGTERM (which remove the link).
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "control.h"
#include "pty_line.h"
#include "sim_log.h"
#include "sim_options.h"
#include "sim_server.h"
#include "unit.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int signo) {
  gStop = signo;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kx71;
  const auto parsed = ParseSimOptions(argc, argv);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    if (*error == "help") {
      std::fputs(kSimUsage, stdout);
      return 0;
    }
    std::fprintf(stderr, "kx71-unit-sim: %s\n%s", error->c_str(), kSimUsage);
    return 2;
  }
  const SimOptions& options = std::get<SimOptions>(parsed);

  // The stop signals stay blocked except while the server waits, so none is lost between a check
  // and a wait.
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGHUP, SIG_IGN);
  if (options.exitWithParent) {
    // A test that is killed leaves no unit behind: the parent's end sends the stop signal.
    const pid_t parent = getppid();
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    if (getppid() != parent) return 0;
  }

  // A session of its own: started from a process group leader (a shell's job), the work goes on
  // in a child.
  if (options.ownTerminal && getsid(0) != getpid() && setsid() < 0) {
    const pid_t child = fork();
    if (child < 0) {
      std::perror("kx71-unit-sim: fork");
      return 1;
    }
    if (child > 0) return 0;
    if (setsid() < 0) {
      std::perror("kx71-unit-sim: setsid");
      return 1;
    }
  }

  TSimLog log(stdout);
  try {
    const std::string portName = "COM" + std::to_string(options.port);
    TPtyLine line(options.devicemap + "/" + portName);
    if (options.ownTerminal) line.ClaimAsControllingTerminal();
    std::unique_ptr<TControlPipe> control;
    if (!options.control.empty()) control = std::make_unique<TControlPipe>(options.control);
    TSimUnit unit(options.block);
    unit.SetFault(options.fault);
    TSimServer server(line, unit, log, control.get(), {options.delayMs, options.baud}, options.state);

    log.Line("PORT", portName + " " + line.Device() + " " + line.Link());
    server.ReportState();
    server.Run(gStop, waitMask, stopSignals);
    log.Line("EXIT", gStop == SIGINT ? "SIGINT" : gStop == SIGTERM ? "SIGTERM" : "error");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kx71-unit-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
