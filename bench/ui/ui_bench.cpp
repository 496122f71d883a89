// Start-up cost of the main window, as a ratio to an empty Qt window of the same size started the
// same way: the time from process start to the first painted frame, and peak resident memory.
// Each figure is the median of 10 starts (after one warm-up start each) on a private Xvfb server.
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_row.h"
#include "virtual_display.h"

namespace {

constexpr int kStarts = 10;
constexpr double kTimeAim = 1.2, kMemoryAim = 1.3;

long long MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// Reads from `fd` until end of file or `timeoutMs`; nothing on time-out.
std::optional<std::string> ReadAll(int fd, int timeoutMs, bool untilNewline = false) {
  std::string text;
  const long long deadline = MonotonicNs() + timeoutMs * 1'000'000LL;
  for (;;) {
    const long long left = (deadline - MonotonicNs()) / 1'000'000;
    if (left <= 0) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    if (untilNewline && text.find('\n') != std::string::npos) return text;
  }
}

struct Start {
  double firstFrameMs;
  double peakMb;
  double cpuMs;  // user + system time of the whole start, less sensitive to a loaded machine
};

std::optional<Start> RunProbe(const std::string& program) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  const long long started = MonotonicNs();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::freopen("/dev/null", "w", stderr);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  const auto text = ReadAll(out[0], 30000);
  close(out[0]);
  if (!text) kill(pid, SIGKILL);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!text || text->empty() || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  const long long painted = std::atoll(text->c_str());
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return Start{(painted - started) / 1e6, usage.ru_maxrss / 1024.0, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Prints one figure of the main window beside the empty window's, and its row of the report.
void Report(const char* figure, const char* unit, double empty, double main, double aim) {
  const double ratio = main / empty;
  const bool holds = ratio <= aim;
  std::printf("  %-28s empty window %7.1f %s   main window %7.1f %s   ratio %.2f (aim <= %.2f)  %s\n", figure,
              empty, unit, main, unit, ratio, aim, holds ? "OK" : "MISSED");
  char aimText[64];
  std::snprintf(aimText, sizeof aimText, "<= %.2f x empty window", aim);
  kx71::BenchRow(holds, figure, aimText, "%.1f %s = %.2f x (empty %.1f)", main, unit, ratio, empty);
}

}  // namespace

int main() {
  const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::string emptyProbe = dir / "kx71-bench-ui-probe-empty";
  const std::string mainProbe = dir / "kx71-bench-ui-probe-main";
  const std::string labelProbe = dir / "kx71-bench-ui-probe-label";

  kx71::TVirtualDisplay server;
  if (!server.Start("640x800x24")) {
    std::fprintf(stderr, "kx71-bench-ui: cannot start Xvfb (install the xvfb package)\n");
    return 1;
  }
  setenv("DISPLAY", server.Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);

  std::vector<double> emptyMs, mainMs, emptyMb, mainMb, emptyCpu, mainCpu, labelMs, labelMb;
  for (int i = -1; i < kStarts; ++i) {  // start -1 warms the caches and is not counted
    const auto e = RunProbe(emptyProbe);
    const auto l = RunProbe(labelProbe);
    const auto m = RunProbe(mainProbe);
    if (!e || !l || !m) {
      std::fprintf(stderr, "kx71-bench-ui: a probe failed to show its window (%s)\n",
                   !e ? "empty" : !l ? "label" : "main");
      return 1;
    }
    if (i < 0) continue;
    labelMs.push_back(l->firstFrameMs);
    labelMb.push_back(l->peakMb);
    emptyMs.push_back(e->firstFrameMs);
    mainMs.push_back(m->firstFrameMs);
    emptyMb.push_back(e->peakMb);
    mainMb.push_back(m->peakMb);
    emptyCpu.push_back(e->cpuMs);
    mainCpu.push_back(m->cpuMs);
  }
  std::printf("Window start-up under Xvfb (%s), median of %d starts each\n", server.Display().c_str(),
              kStarts);
  Report("window start to first frame", "ms", Median(emptyMs), Median(mainMs), kTimeAim);
  Report("window peak memory", "MB", Median(emptyMb), Median(mainMb), kMemoryAim);
  const double emptyCpuMs = Median(emptyCpu), mainCpuMs = Median(mainCpu);
  std::printf(
      "  %-28s empty window %7.1f ms   main window %7.1f ms   ratio %.2f (no aim; shows the cost when\n"
      "  %-28s the machine is busy and wall times spread)\n",
      "CPU time of a start", emptyCpuMs, mainCpuMs, mainCpuMs / emptyCpuMs, "");
  // What any window that draws text pays first: the font machinery's start.
  std::printf("  %-28s %.1f ms = %.2f x, %.1f MB = %.2f x (reference, no aim); the main window %.2f x this\n",
              "empty window with one label", Median(labelMs), Median(labelMs) / Median(emptyMs), Median(labelMb),
              Median(labelMb) / Median(emptyMb), Median(mainMs) / Median(labelMs));
  kx71::BenchRow(-1, "reference: an empty window with one label", "-", "%.1f ms = %.2f x empty; the main window %.2f x this",
                 Median(labelMs), Median(labelMs) / Median(emptyMs), Median(mainMs) / Median(labelMs));
  double load[1] = {0};
  if (getloadavg(load, 1) == 1) std::printf("  load average during the run: %.2f\n", load[0]);
  return 0;
}
