#include "program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "sim_process.h"

namespace kx71::e2e {
namespace {

constexpr const char* kTitle = "KX-71VantorManager";

void EndProcess(pid_t pid, int sig) {
  if (pid <= 0) return;
  kill(pid, sig);
  waitpid(pid, nullptr, 0);
}

}  // namespace

bool CanRunUnprivileged() {
  return geteuid() == 0;
}

void ShareWithUnprivileged(const std::string& path, TRunAs as) {
  if (as != TRunAs::Unprivileged || !CanRunUnprivileged()) return;
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(path, ec);
  if (ec) return;
  [[maybe_unused]] const int r = chown(target.c_str(), kUnprivilegedId, kUnprivilegedId);
}

std::optional<bool> ExclusiveFlag(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EBUSY) return true;
    return std::nullopt;
  }
  int flag = 0;
  const bool read = ioctl(fd, TIOCGEXCL, &flag) == 0;
  close(fd);
  if (!read) return std::nullopt;
  return flag != 0;
}

std::string StagedForEveryone(const std::string& program) {
  struct TStage {
    std::filesystem::path dir;
    ~TStage() {
      std::error_code ec;
      if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
  };
  static std::map<std::string, TStage> staged;
  auto& stage = staged[program];
  const std::filesystem::path source(program);
  if (stage.dir.empty()) {
    char dir[] = "/tmp/kx71-program-XXXXXX";
    if (!mkdtemp(dir)) return program;
    stage.dir = dir;
    std::error_code ec;
    std::filesystem::copy_file(source, stage.dir / source.filename(), ec);
    if (ec || chmod(dir, 0755) != 0 || chmod((stage.dir / source.filename()).c_str(), 0755) != 0) return program;
  }
  return (stage.dir / source.filename()).string();
}

TProgramRun::TProgramRun(TRunAs as, const std::string& deviceMap, const std::string& program,
                         TErrorOutput errors, const std::string& pathFirst) {
  if (!display_.Start("640x480x24")) return;

  char errTemplate[] = "/tmp/kx71-program-err-XXXXXX";
  int err = mkstemp(errTemplate);
  if (err < 0) return;
  errPath_ = errTemplate;
  if (errors == TErrorOutput::ClosedPipe) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    close(fds[0]);
    close(err);
    err = fds[1];
  }

  // Everything the child needs is made before fork: it runs only async-signal-safe calls.
  std::vector<std::string> env = {"DISPLAY=" + display_.Display(), "QT_QPA_PLATFORM=xcb", "KX71_DEVICEMAP=" + deviceMap,
                                  "PATH=" + (pathFirst.empty() ? "" : pathFirst + ":") + "/usr/bin:/bin",
                                  "HOME=/tmp",           "LANG=C.UTF-8"};
  // Sanitizer settings (suppressions) reach the program as they reach the tests.
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const bool drop = as == TRunAs::Unprivileged && CanRunUnprivileged();
  std::string path = drop ? StagedForEveryone(program) : program;
  char* argv[] = {path.data(), nullptr};
  program_ = fork();
  if (program_ == 0) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    dup2(err, 1);
    dup2(err, 2);
    if (drop && (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0))
      _exit(126);
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
  close(err);
  if (program_ < 0) return;

  WaitUntil(
      [&] {
        int status = 0;
        if (waitpid(program_, &status, WNOHANG) == program_) {
          status_ = status;
          return true;
        }
        const auto found = Xdo(std::string("search --onlyvisible --name ") + kTitle);
        if (found && !found->empty()) window_ = found->substr(0, found->find('\n'));
        return !window_.empty();
      },
      std::chrono::seconds(30));
}

TProgramRun::~TProgramRun() {
  if (!status_) EndProcess(program_, SIGKILL);
  display_.Stop();
  if (!errPath_.empty()) std::filesystem::remove(errPath_);
}

std::optional<std::string> TProgramRun::Xdo(const std::string& args) const {
  if (display_.Display().empty()) return std::nullopt;
  const std::string command = "DISPLAY=" + display_.Display() + " xdotool " + args + " 2>/dev/null";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return std::nullopt;
  std::string text;
  char buffer[256];
  while (const std::size_t n = fread(buffer, 1, sizeof buffer, out)) text.append(buffer, n);
  if (pclose(out) != 0) return std::nullopt;
  return text;
}

std::string TProgramRun::WindowSize() const {
  const auto geometry = Xdo("getwindowgeometry " + window_);
  if (!geometry) return {};
  const auto at = geometry->find("Geometry: ");
  if (at == std::string::npos) return {};
  std::string size = geometry->substr(at + 10);
  return size.substr(0, size.find('\n'));
}

bool TProgramRun::ChooseLastPort() const {
  return Xdo("windowfocus --sync " + window_) && Xdo("key --delay 300 F4 End Return");
}

int TProgramRun::VisibleWindows() const {
  const auto found = Xdo("search --onlyvisible --pid " + std::to_string(program_));
  if (!found) return 0;  // xdotool fails when nothing matches
  return static_cast<int>(std::count(found->begin(), found->end(), '\n'));
}

bool TProgramRun::DestroyWindow() const {
  xcb_connection_t* c = xcb_connect(display_.Display().c_str(), nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  const auto id = static_cast<xcb_window_t>(std::stoul(window_));
  xcb_generic_error_t* error = xcb_request_check(c, xcb_destroy_window_checked(c, id));
  const bool done = error == nullptr;
  std::free(error);
  xcb_disconnect(c);
  return done;
}

void TProgramRun::StopDisplay() { display_.Stop(); }

std::optional<int> TProgramRun::WaitExit(std::chrono::milliseconds timeout) {
  if (status_) return status_;
  WaitUntil(
      [&] {
        int status = 0;
        if (waitpid(program_, &status, WNOHANG) == program_) status_ = status;
        return status_.has_value();
      },
      timeout);
  return status_;
}

namespace {

// One line of a file under /proc, or empty.
std::string ProcLine(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Each thread of `pid`: its name, the kernel function it sleeps in, and the system call it is in
// (the number first), so a hang says where it hangs.
std::string ThreadStates(pid_t pid) {
  std::string text;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    text += "\n  thread " + task.path().filename().string() + " " + ProcLine(task.path() / "comm") + ": waits in " +
            ProcLine(task.path() / "wchan") + ", syscall " + ProcLine(task.path() / "syscall");
  }
  return text;
}

}  // namespace

std::string TProgramRun::Diagnosis() {
  if (program_ <= 0) return "the program did not start";
  const auto status = WaitExit(std::chrono::milliseconds(0));
  std::string state;
  if (!status) {
    state = "still running" + ThreadStates(program_);
    // Where each thread stands in the program's own code, when a debugger is at hand.
    const std::string pid = std::to_string(program_);
    FILE* trace = popen(("command -v gdb >/dev/null && gdb -p " + pid +
                         " -batch -ex 'thread apply all bt 30' 2>/dev/null | grep '^#\\|^Thread'")
                            .c_str(),
                        "r");
    if (trace) {
      state += "\n";
      char buffer[512];
      while (const std::size_t n = fread(buffer, 1, sizeof buffer, trace)) state.append(buffer, n);
      pclose(trace);
    }
  } else if (WIFSIGNALED(*status)) {
    state = "killed by signal " + std::to_string(WTERMSIG(*status));
  } else {
    state = "ended with status " + std::to_string(WEXITSTATUS(*status));
  }
  return state + "\nstandard error:\n" + Stderr();
}

std::string TProgramRun::Stderr() const {
  std::ifstream in(errPath_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kx71::e2e
