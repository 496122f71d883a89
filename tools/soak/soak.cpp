// A long run of reads and writes against the simulated unit, through the real serial component and
// Transact, with a fault drawn at random for each exchange. It checks that every reported success
// carried the right data, that every fault that must fail was reported as a failure, that clean
// exchanges succeed, and that the process ends with the threads and descriptors it started with and
// without resident-memory growth.
//
// Usage: kx71-soak [--exchanges N] [--seed S]
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "protocol/exchange.h"
#include "sim_process.h"
#include "unit.h"

namespace kx71 {
namespace {

constexpr int kPort = 61;
constexpr std::int32_t kReceiveTimeoutMs = 400;  // keeps silent-unit exchanges short

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // sanitizers hold freed memory back, so RSS says nothing here
#else
constexpr bool kSanitized = false;
#endif

int CountEntries(const char* dir) {
  std::error_code ec;
  const auto n = std::distance(std::filesystem::directory_iterator(dir, ec), std::filesystem::directory_iterator());
  return static_cast<int>(n) - (std::strcmp(dir, "/proc/self/fd") == 0 ? 1 : 0);  // the listing's own descriptor
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The read reply with 3 noise bytes in front: its first 18 bytes must not pass the checksum test by
// chance, or the fault would be indistinguishable from a good reply.
bool GarbageReadLooksGood(const SettingsBlock& stored) {
  const Frame reply = SimBytes(kNoise) + BlockFrame(kReadCommand, stored);
  return ReadReplyGood(reply.substr(0, kReadReplySize));
}

struct Totals {
  int reads = 0, writes = 0, successes = 0, failures = 0, errors = 0;
};

class Soak {
 public:
  Soak(int exchanges, unsigned seed) : exchanges_(exchanges), rng_(seed) {}

  int Run() {
    char dir[] = "/tmp/kx71-soak.XXXXXX";
    if (!mkdtemp(dir)) return Fail("cannot create a device-map directory");
    dir_ = dir;
    setenv("KX71_DEVICEMAP", dir, 1);  // NOLINT(concurrency-mt-unsafe): no other thread runs yet
    const int status = RunIn();
    std::filesystem::remove_all(dir_);
    return status;
  }

 private:
  int RunIn() {
    TSimProcess sim(dir_, kPort, {"--exit-with-parent"});
    if (!sim.Ready()) return Fail("the simulated unit did not start");
    auto stored = sim.StoredBlock();
    if (!stored) return Fail("cannot read the unit's stored block");
    stored_ = *stored;

    // One open, exchange and close first: runtimes start helper threads of their own on first use
    // (ThreadSanitizer does), and they must not count as the soak's.
    {
      TPlainMainThread main;
      TCommX comm(main);
      if (!OpenPort(comm)) return 1;
      (void)ReadBlock(comm);
      comm.Close();
    }
    const int threads0 = CountEntries("/proc/self/task"), fds0 = CountEntries("/proc/self/fd");
    long rssWarm = -1;
    {
      TPlainMainThread main;
      TCommX comm(main);
      if (!OpenPort(comm)) return 1;
      const int warmUp = std::min(100, exchanges_ / 10);
      for (int i = 0; i < exchanges_; ++i) {
        if (i == warmUp) rssWarm = ResidentKiB();
        if (!Exchange(i, sim, comm, main)) ++totals_.errors;
        if (totals_.errors > 20) break;
      }
      comm.Close();
    }
    const long rssEnd = ResidentKiB();
    const int threads1 = CountEntries("/proc/self/task"), fds1 = CountEntries("/proc/self/fd");

    std::printf("exchanges %d (reads %d, writes %d): %d succeeded, %d failed as their fault demands, %d wrong\n",
                totals_.reads + totals_.writes, totals_.reads, totals_.writes, totals_.successes,
                totals_.failures, totals_.errors);
    std::printf("threads %d -> %d, descriptors %d -> %d\n", threads0, threads1, fds0, fds1);
    if (kSanitized) {
      std::printf("resident memory: not judged in a sanitizer build\n");
    } else {
      std::printf("resident memory after warm-up %ld KiB -> end %ld KiB (growth %ld KiB, aim <= 1024)\n", rssWarm,
                  rssEnd, rssEnd - rssWarm);
    }
    bool ok = totals_.errors == 0 && threads0 == threads1 && fds0 == fds1;
    if (!kSanitized && rssEnd - rssWarm > 1024) ok = false;
    std::printf("soak: %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
  }

  static bool OpenPort(TCommX& comm) {
    comm.SetPortNo(kPort);
    comm.SetFlowCtrl(cfcNone);
    comm.SetTimeOutReceive(kReceiveTimeoutMs);
    try {
      comm.Open();
      return true;
    } catch (const ECommError& e) {
      Fail(std::string("cannot open the port: ") + e.what());
      return false;
    }
  }

  SimFault Draw() {
    // Clean exchanges are the most common, as on a real line.
    std::uniform_int_distribution<int> pick(0, 2 * static_cast<int>(kSimFaults.size()) - 1);
    const int n = pick(rng_);
    return n < static_cast<int>(kSimFaults.size()) ? kSimFaults[static_cast<std::size_t>(n)] : SimFault::None;
  }

  SettingsBlock RandomBlock() {
    SettingsBlock b;
    for (auto& byte : b) byte = static_cast<std::uint8_t>(rng_());
    if (b[14] == kAck) b[14] = 0;  // a noise-shifted write reply would end in it and look accepted
    return b;
  }

  bool Exchange(int i, TSimProcess& sim, TCommX& comm, TPlainMainThread& main) {
    const bool write = rng_() % 2 == 0;
    SimFault fault = Draw();
    if (!write && fault == SimFault::Garbage && GarbageReadLooksGood(stored_)) fault = SimFault::None;
    if (!sim.Control(std::string("fault ") + SimFaultName(fault))) return Report(i, write, fault, "unit ignored control");

    bool ok = false;
    if (write) {
      ++totals_.writes;
      const SettingsBlock block = RandomBlock();
      ok = WriteBlock(comm, block);
      const auto now = sim.StoredBlock();
      if (!now) return Report(i, write, fault, "cannot read the unit's state");
      const bool stored = *now == block;
      const bool mustFail = fault == SimFault::Nak || fault == SimFault::Silent || fault == SimFault::Garbage ||
                            fault == SimFault::Short;
      if (ok && !stored) return Report(i, write, fault, "success reported, block not stored");
      if (ok && mustFail) return Report(i, write, fault, "success reported for a failed write");
      if (!ok && !mustFail) return Report(i, write, fault, "clean write failed");
      if ((fault == SimFault::Nak || fault == SimFault::Silent) && *now != stored_)
        return Report(i, write, fault, "refused write changed the unit");
      stored_ = *now;
    } else {
      ++totals_.reads;
      const auto block = ReadBlock(comm);
      ok = block.has_value();
      const bool mustFail = fault == SimFault::Silent || fault == SimFault::Short || fault == SimFault::Badsum ||
                            fault == SimFault::Garbage;
      if (ok && *block != stored_) return Report(i, write, fault, "success reported with a wrong block");
      if (ok && mustFail) return Report(i, write, fault, "success reported for a failed read");
      if (!ok && !mustFail) return Report(i, write, fault, "clean read failed");
    }
    ok ? ++totals_.successes : ++totals_.failures;

    // Surplus bytes after a reply must be in the queue before the next exchange purges it; bytes
    // that arrive after that purge would be taken for the next reply.
    if (fault == SimFault::Extra || fault == SimFault::Garbage) {
      WaitUntil([&] {
        main.ProcessMessages();
        return comm.InQueueCount() >= static_cast<std::int32_t>(fault == SimFault::Extra ? kSurplus.size() : kNoise.size());
      }, std::chrono::seconds(2));
    }
    return true;
  }

  bool Report(int i, bool write, SimFault fault, const char* what) {
    std::printf("exchange %d (%s, fault %s): %s\n", i, write ? "write" : "read", SimFaultName(fault), what);
    return false;
  }

  static int Fail(const std::string& what) {
    std::printf("soak: FAIL: %s\n", what.c_str());
    return 1;
  }

  int exchanges_;
  std::mt19937 rng_;
  std::string dir_;
  SettingsBlock stored_{};
  Totals totals_;
};

}  // namespace
}  // namespace kx71

namespace {

// A whole decimal argument within [low, high]; nothing for anything else ("", "12x", "-").
std::optional<long long> Number(const char* text, long long low, long long high) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
  return value;
}

constexpr const char* kUsage = "usage: kx71-soak [--exchanges N] [--seed S]\n";

// Names the mistake, then the usage.
int Usage(const std::string& mistake) {
  std::fprintf(stderr, "kx71-soak: %s\n%s", mistake.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int exchanges = 2000;
  unsigned seed = std::random_device{}();
  // Every argument is an option followed by its value; anything else, a lone option included, is
  // a mistake to report rather than a run to start.
  for (int i = 1; i < argc; i += 2) {
    const std::string opt = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (opt == "--help" || opt == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (opt != "--exchanges" && opt != "--seed") return Usage("unknown option '" + opt + "'");
    if (!value) return Usage("missing value for " + opt);
    const auto n = opt == "--exchanges" ? Number(value, 1, 100000000) : Number(value, 0, 0xFFFFFFFFLL);
    if (!n) return Usage("bad value for " + opt + ": '" + value + "'");
    if (opt == "--exchanges") {
      exchanges = static_cast<int>(*n);
    } else {
      seed = static_cast<unsigned>(*n);
    }
  }
  std::printf("soak: %d exchanges, seed %u\n", exchanges, seed);
  std::fflush(stdout);
  return kx71::Soak(exchanges, seed).Run();
}
