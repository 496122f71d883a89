// kx71-unit-sim: plays the unit on a pseudo-terminal linked into a device-map directory as COM<n>,
// until SIGINT or SIGTERM (which remove the link).
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
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

// Why the line cannot be linked where asked, or nothing. The folder must be there already: a typo
// would otherwise make one nobody looks in. A link that leads to a live terminal belongs to another
// unit, which would lose its port to this one and then its link when this one ends; a link to a
// terminal that is gone was left by a unit that was killed, and is replaced.
std::optional<std::string> LinkRefusal(const std::string& link) {
  const auto slash = link.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : link.substr(0, slash);
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "no such folder: " + dir;
  char target[256] = {};
  if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && ::stat(target, &st) == 0)
    return link + " already leads to " + target + ", another unit's line: give this one another port";
  return std::nullopt;
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
  if (const auto refusal = LinkRefusal(options.LinkPath())) {
    std::fprintf(stderr, "kx71-unit-sim: %s\n", refusal->c_str());
    return 2;
  }

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

  if (!options.pidfile.empty()) {
    std::FILE* f = std::fopen(options.pidfile.c_str(), "w");
    bool written = f != nullptr && std::fprintf(f, "%d\n", static_cast<int>(getpid())) > 0;
    if (f != nullptr && std::fclose(f) != 0) written = false;
    if (!written) {
      std::perror("kx71-unit-sim: pidfile");
      return 1;
    }
  }

  TSimLog log(stdout);
  try {
    TPtyLine line(options.LinkPath(), options.holdLine);
    if (options.ownTerminal) line.ClaimAsControllingTerminal();
    std::unique_ptr<TControlPipe> control;
    if (!options.control.empty()) control = std::make_unique<TControlPipe>(options.control);
    TSimUnit unit(options.block);
    unit.SetFault(options.fault);
    unit.TakeFixtureCommands(options.fixture);
    TSimServer server(line, unit, log, control.get(), {options.delayMs, options.baud}, options.state);
    server.ClaimNewLines(options.ownTerminal);

    log.Line("PORT", PortLine(line));
    server.ReportState();
    server.Run(gStop, waitMask, stopSignals);
    log.Line("EXIT", gStop == SIGINT ? "SIGINT" : gStop == SIGTERM ? "SIGTERM" : "error");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kx71-unit-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
