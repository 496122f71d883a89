// How much an exchange costs above the time its characters need on the line: 100 read exchanges and
// 100 write exchanges through the component, and the same through a minimal blocking termios client
// (what a user might write instead), all against the simulated unit paced at 9600 bit/s.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_row.h"
#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "protocol/exchange.h"
#include "sim_process.h"
#include "unit.h"

namespace kx71 {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kPort = 7;
constexpr int kBaud = 9600;
constexpr int kDelayMs = 0;
constexpr int kRounds = 100;
constexpr int kWarmUp = 5;
constexpr double kAimMedianMs = 2.0, kAimP99Ms = 5.0;

double LineMs(int chars) {
  return chars * 10.0 * 1000.0 / kBaud;
}

struct Figures {
  double median = 0, p99 = 0;
  int failures = 0;
};

// Times `rounds` calls of `exchange` (which says whether it succeeded); the overhead of each is its
// wall time less the line time of `chars` characters and the unit's delay.
Figures Measure(int chars, const std::function<bool()>& exchange) {
  Figures f;
  for (int i = 0; i < kWarmUp; ++i) exchange();
  std::vector<double> overhead;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = Clock::now();
    if (!exchange()) ++f.failures;
    overhead.push_back(Ms(Clock::now() - start).count() - LineMs(chars) - kDelayMs);
  }
  std::sort(overhead.begin(), overhead.end());
  f.median = (overhead[kRounds / 2 - 1] + overhead[kRounds / 2]) / 2;
  f.p99 = overhead[static_cast<std::size_t>(kRounds * 99 / 100) - 1];
  return f;
}

// The minimal client: raw line, blocking read with a 3 s inter-byte limit, flush before sending.
class TermiosClient {
 public:
  explicit TermiosClient(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY)) {
    if (fd_ < 0) return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 30;
    tcsetattr(fd_, TCSANOW, &tio);
  }
  ~TermiosClient() {
    if (fd_ >= 0) close(fd_);
  }
  bool Ok() const { return fd_ >= 0; }

  Frame Exchange(const Frame& request, std::size_t expected) {
    tcflush(fd_, TCIFLUSH);
    if (write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return {};
    Frame reply(expected, '\0');
    std::size_t got = 0;
    while (got < expected) {
      const ssize_t n = read(fd_, &reply[got], expected - got);
      if (n <= 0) return {};
      got += static_cast<std::size_t>(n);
    }
    return reply;
  }

 private:
  int fd_;
};

void Print(const char* client, const char* what, int chars, const Figures& f) {
  std::printf(
      "%-8s %-5s (%2d chars, %4.1f ms line): median overhead %6.2f ms (aim <= %.0f ms)  "
      "p99 %6.2f ms (aim <= %.0f ms)%s",
      client, what, chars, LineMs(chars), f.median, kAimMedianMs, f.p99, kAimP99Ms, f.failures ? "" : "\n");
  if (f.failures) std::printf("  FAILED EXCHANGES: %d\n", f.failures);
  const bool ours = std::string_view(client) == "TCommX";
  const std::string figure = std::string(client) + " " + what + " overhead above line time";
  BenchRow(ours ? f.median <= kAimMedianMs && f.p99 <= kAimP99Ms && f.failures == 0 : -1, figure.c_str(),
           ours ? "median <= 2 ms, p99 <= 5 ms" : "(plain termios client)", "median %.2f ms, p99 %.2f ms%s",
           f.median, f.p99, f.failures ? ", FAILURES" : "");
}

int Run() {
  char dir[] = "/tmp/kx71-bench-exchange.XXXXXX";
  if (!mkdtemp(dir)) {
    std::perror("mkdtemp");
    return 1;
  }
  setenv("KX71_DEVICEMAP", dir, 1);
  int status = 0;
  {
    TSimProcess sim(dir, kPort, {"--baud", std::to_string(kBaud), "--delay", std::to_string(kDelayMs)});
    if (!sim.Ready()) {
      std::fprintf(stderr, "the simulated unit did not start (log: %s)\n", sim.LogPath().c_str());
      return 1;
    }
    const int readChars = 1 + kReadReplySize, writeChars = kBlockFrameSize + kWriteReplySize;
    const SettingsBlock block = DefaultSimBlock();
    std::printf(
        "Exchange overhead above line time; simulated unit at %d bit/s, answer delay %d ms, "
        "%d exchanges each\n",
        kBaud, kDelayMs, kRounds);

    Figures compRead, compWrite;
    {
      TPlainMainThread mainThread;
      TCommX comm(mainThread);
      comm.SetPortNo(kPort);
      comm.SetFlowCtrl(cfcNone);
      try {
        comm.Open();
      } catch (const ECommError& e) {
        std::fprintf(stderr, "cannot open COM%d: %s\n", kPort, e.what());
        return 1;
      }
      compRead = Measure(readChars, [&] { return ReadBlock(comm) == block; });
      compWrite = Measure(writeChars, [&] { return WriteBlock(comm, block); });
      comm.Close();
    }
    Print("TCommX", "read", readChars, compRead);
    Print("TCommX", "write", writeChars, compWrite);

    TermiosClient client(sim.LinkPath());
    if (!client.Ok()) {
      std::perror("open");
      return 1;
    }
    const Figures rawRead =
        Measure(readChars, [&] { return ReadReplyGood(client.Exchange(ReadRequest(), kReadReplySize)); });
    const Figures rawWrite = Measure(
        writeChars, [&] { return WriteReplyGood(client.Exchange(WriteRequest(block), kWriteReplySize)); });
    Print("termios", "read", readChars, rawRead);
    Print("termios", "write", writeChars, rawWrite);
    // Whole exchange times, so the ratio stays meaningful when an overhead is near zero.
    const auto ratio = [](const Figures& a, const Figures& b, int chars) {
      return (a.median + LineMs(chars) + kDelayMs) / (b.median + LineMs(chars) + kDelayMs);
    };
    std::printf(
        "TCommX against termios, median: read %+.2f ms (x%.3f of the exchange time), "
        "write %+.2f ms (x%.3f)\n",
        compRead.median - rawRead.median, ratio(compRead, rawRead, readChars),
        compWrite.median - rawWrite.median, ratio(compWrite, rawWrite, writeChars));
    BenchRow(-1, "TCommX / termios exchange time, median", "(ratio)", "read x%.3f, write x%.3f",
             ratio(compRead, rawRead, readChars), ratio(compWrite, rawWrite, writeChars));
    status = compRead.failures + compWrite.failures + rawRead.failures + rawWrite.failures ? 1 : 0;
  }
  std::filesystem::remove_all(dir);
  return status;
}

}  // namespace
}  // namespace kx71

int main() {
  return kx71::Run();
}
