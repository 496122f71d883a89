// What serving several units at once costs: `kx71-vantor write --level` on eight simulated units
// paced at 9600 bit/s in one run, against the same on one unit, and against eight runs one after
// another. Each figure is the median of several rounds.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_row.h"
#include "run_program.h"
#include "sim_process.h"

namespace kx71 {
namespace {

constexpr int kUnits = 8;
constexpr int kBaud = 9600;
constexpr int kRounds = 5;
constexpr double kAimRatio = 1.3;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int Run() {
  char dir[] = "/tmp/kx71-bench-cli.XXXXXX";
  if (!mkdtemp(dir)) {
    std::perror("mkdtemp");
    return 1;
  }
  setenv("KX71_DEVICEMAP", dir, 1);
  int failures = 0;
  double one = 0, eight = 0, sequential = 0;
  {
    std::vector<std::unique_ptr<TSimProcess>> units;
    for (int port = 1; port <= kUnits; ++port) {
      units.push_back(std::make_unique<TSimProcess>(
          dir, port, std::vector<std::string>{"--baud", std::to_string(kBaud)}));
      if (!units.back()->Ready()) {
        std::fprintf(stderr, "the simulated unit COM%d did not start\n", port);
        return 1;
      }
    }
    const std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
    const auto write = [&](int first, int count) {
      std::vector<std::string> argv = {KX71_CLI_PATH, "write"};
      for (int port = first; port < first + count; ++port) argv.push_back("COM" + std::to_string(port));
      argv.insert(argv.end(), {"--level", "+3"});
      const TProgramResult r = RunProgram(argv, out, err);
      if (r.status != 0) {
        ++failures;
        std::fprintf(stderr, "write failed (%d): %s", r.status, r.err.c_str());
      }
      return static_cast<double>(r.took.count());
    };
    write(1, kUnits);  // warm-up: caches, the units' first lines
    std::vector<double> ones, eights, sequentials;
    for (int round = 0; round < kRounds; ++round) {
      ones.push_back(write(1, 1));
      eights.push_back(write(1, kUnits));
      double total = 0;
      for (int port = 1; port <= kUnits; ++port) total += write(port, 1);
      sequentials.push_back(total);
    }
    one = Median(ones);
    eight = Median(eights);
    sequential = Median(sequentials);
  }
  std::filesystem::remove_all(dir);

  std::printf(
      "kx71-vantor write --level +3, units at %d bit/s, median of %d rounds: one unit %.0f ms, %d units at "
      "once "
      "%.0f ms, %d one after another %.0f ms%s\n",
      kBaud, kRounds, one, kUnits, eight, kUnits, sequential, failures ? "  FAILED RUNS" : "");
  const double ratio = eight / one;
  BenchRow(ratio <= kAimRatio && failures == 0, "kx71-vantor write: 8 units at once / 1 unit", "<= x1.3",
           "x%.2f (%.0f ms / %.0f ms)%s", ratio, eight, one, failures ? ", FAILURES" : "");
  BenchRow(-1, "kx71-vantor write: 8 one after another / 8 at once", "(ratio)", "x%.2f (%.0f ms / %.0f ms)",
           sequential / eight, sequential, eight);
  return failures ? 1 : 0;
}

}  // namespace
}  // namespace kx71

int main() {
  return kx71::Run();
}
