// Figures for the serial port component on a pseudo-terminal, each printed beside its aim:
//  1. CPU used by the process while a port is open and idle (both workers should block);
//  2. how soon Read returns after the last byte it waits for has been written to the line;
//  3. descriptors, threads and heap left over after 1000 Open/Close cycles.
#include <dirent.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_row.h"
#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "pty_line.h"

namespace kx71 {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using namespace std::chrono_literals;

constexpr int kPort = 7;

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int CountEntries(const char* dir) {
  int n = 0;
  if (DIR* d = opendir(dir)) {
    while (const dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n - (std::string(dir) == "/proc/self/fd" ? 1 : 0);  // the directory's own descriptor
}

std::size_t HeapInUse() {
  return mallinfo2().uordblks;
}

void IdleCpu(TMainThread& main) {
  TCommX c(main);
  c.SetPortNo(kPort);
  c.SetFlowCtrl(cfcNone);
  c.Open();
  std::this_thread::sleep_for(200ms);
  const double cpu0 = CpuMs();
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(5s);
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  const double perSecond = (CpuMs() - cpu0) / seconds;
  std::printf("Idle CPU of an open port over %.1f s: %.3f ms per second (aim: under 1 ms per second) %s\n",
              seconds, perSecond, perSecond < 1.0 ? "OK" : "MISSED");
  BenchRow(perSecond < 1.0, "idle CPU, open port (5 s)", "< 1 ms/s", "%.3f ms/s", perSecond);
}

void ReadLatency(TMainThread& main, TPtyLine& pty) {
  TCommX c(main);
  c.SetPortNo(kPort);
  c.SetFlowCtrl(cfcNone);
  c.SetTimeOutReceive(2000);
  c.Open();
  constexpr int kTrials = 200;
  std::vector<double> latency;
  int failures = 0;
  for (int i = 0; i < kTrials; ++i) {
    pty.Send(std::string(15, 'a'));  // most of the reply is waiting already
    Clock::time_point lastByte;
    std::thread writer([&] {
      std::this_thread::sleep_for(5ms);
      lastByte = Clock::now();  // taken before the write, so the figure errs on the slow side
      pty.Send("z");
    });
    char buf[16];
    const std::int32_t got = c.Read(buf, 16);
    const auto returned = Clock::now();
    writer.join();
    if (got != 16) {
      ++failures;
      continue;
    }
    latency.push_back(Ms(returned - lastByte).count());
  }
  std::sort(latency.begin(), latency.end());
  const double median = latency.empty() ? 0 : latency[latency.size() / 2];
  const double p90 = latency.empty() ? 0 : latency[latency.size() * 9 / 10];
  std::printf(
      "Read latency after the last byte, %d reads of 16 bytes: median %.3f ms, 90th percentile %.3f ms, "
      "failed reads %d (aim: median under 2 ms, no failures) %s\n",
      kTrials, median, p90, failures, median < 2.0 && failures == 0 ? "OK" : "MISSED");
  BenchRow(median < 2.0 && failures == 0, "Read return after last byte, median", "< 2 ms, 0 failed",
           "%.3f ms, %d failed", median, failures);
}

void OpenCloseCycles(TMainThread& main, TPtyLine& pty) {
  // The fixed 100/200/100 ms pauses are skipped here: they cost time, not resources.
  TCommX c(main, TCommXEnvironment{{}, [](std::int32_t) {}});
  c.SetPortNo(kPort);
  c.SetFlowCtrl(cfcNone);
  auto cycle = [&] {
    c.Open();
    c.SendString("ping");
    c.Close();
    main.ProcessMessages();
    pty.Drain();
  };
  for (int i = 0; i < 20; ++i) cycle();  // warm-up: allocator pools, lazily created state
  const int fds0 = CountEntries("/proc/self/fd");
  const int threads0 = CountEntries("/proc/self/task");
  const std::size_t heap0 = HeapInUse();
  const auto t0 = Clock::now();
  constexpr int kCycles = 1000;
  for (int i = 0; i < kCycles; ++i) cycle();
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  const int fds = CountEntries("/proc/self/fd") - fds0;
  const int threads = CountEntries("/proc/self/task") - threads0;
  const long long heap = static_cast<long long>(HeapInUse()) - static_cast<long long>(heap0);
  std::printf(
      "%d Open/Close cycles (%.1f s, pauses skipped): descriptors %+d, threads %+d, heap %+lld bytes "
      "(aim: 0 descriptors, 0 threads, heap growth under 4096 bytes) %s\n",
      kCycles, seconds, fds, threads, heap, fds == 0 && threads == 0 && heap < 4096 ? "OK" : "MISSED");
  BenchRow(fds == 0 && threads == 0 && heap < 4096, "1000 Open/Close: fds, threads, heap", "0, 0, < 4096 B",
           "%+d, %+d, %+lld B", fds, threads, heap);
}

}  // namespace
}  // namespace kx71

int main() {
  kx71::TPtyDeviceMap map;
  kx71::TPtyLine& pty = map.Add(kx71::kPort);
  kx71::TPlainMainThread main;
  kx71::IdleCpu(main);
  kx71::ReadLatency(main, pty);
  kx71::OpenCloseCycles(main, pty);
  return 0;
}
