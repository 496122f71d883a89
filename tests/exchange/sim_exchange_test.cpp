// Exchanges through the serial port component with the simulated unit on a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "hex.h"
#include "protocol/exchange.h"
#include "sim_process.h"
#include "unit.h"

namespace kx71 {
namespace {

using namespace std::chrono_literals;

constexpr int kPort = 7;
constexpr std::int32_t kTimeoutMs = 1500;

const SettingsBlock kNew = {0x00, 0xAB, 0xCD, 0xEF, 0x00, 0x00, 0x01, 0x01, 1, 2, 3, 4, 5, 8, 3, 0x51};

class SimExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/kx71-exchange.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    setenv("KX71_DEVICEMAP", dir, 1);
    sim_.emplace(dir_, kPort);
    ASSERT_TRUE(sim_->Ready()) << "simulated unit did not start; log: " << sim_->LogPath();
    comm_.SetPortNo(kPort);
    comm_.SetFlowCtrl(cfcNone);
    comm_.SetTimeOutReceive(kTimeoutMs);
    ASSERT_NO_THROW(comm_.Open());
  }

  void TearDown() override {
    comm_.Close();
    if (sim_) {
      EXPECT_TRUE(sim_->Stop());
      if (HasFailure()) {
        for (const std::string& line : sim_->Log()) std::printf("unit: %s\n", line.c_str());
      }
    }
    sim_.reset();
    std::filesystem::remove_all(dir_);
  }

  // Waits for `condition` while the main thread's messages are processed.
  bool Pump(const std::function<bool()>& condition) {
    return WaitUntil([&] {
      main_.ProcessMessages();
      return condition();
    });
  }

  TPlainMainThread main_;
  TCommX comm_{main_};
  std::string dir_;
  std::optional<TSimProcess> sim_;
};

TEST_F(SimExchange, ReadsAndWritesTheBlockByteForByte) {
  EXPECT_EQ(ReadBlock(comm_), DefaultSimBlock());
  EXPECT_TRUE(WriteBlock(comm_, kNew));
  EXPECT_EQ(sim_->StoredBlock(), kNew);
  EXPECT_EQ(ReadBlock(comm_), kNew);

  const auto rx = sim_->Frames("RX");
  ASSERT_EQ(rx.size(), 3u);
  EXPECT_EQ(rx[0], ReadRequest());
  EXPECT_EQ(rx[1], WriteRequest(kNew));
  EXPECT_EQ(rx[2], ReadRequest());
}

TEST_F(SimExchange, FaultyRepliesFail) {
  ASSERT_TRUE(sim_->Control("fault short"));
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(comm_, request, kReadReplySize, reply), 17);
  EXPECT_TRUE(reply.empty());

  for (const char* fault : {"badsum", "garbage"}) {
    ASSERT_TRUE(sim_->Control(std::string("fault ") + fault));
    request = ReadRequest();
    EXPECT_EQ(Transact(comm_, request, kReadReplySize, reply), 18) << fault;
    EXPECT_FALSE(ReadReplyGood(reply)) << fault;
  }

  // The unit logs what it sent once the last byte is out, which may be after the program has it.
  const auto lastSent = [&](std::size_t before) {
    EXPECT_TRUE(WaitUntil([&] { return sim_->Count("TX") > before; }));
    const auto tx = sim_->Frames("TX");
    return tx.empty() ? Frame("?") : tx.back();
  };

  ASSERT_TRUE(sim_->Control("fault nak"));
  std::size_t sent = sim_->Count("TX");
  EXPECT_FALSE(WriteBlock(comm_, kNew));
  EXPECT_EQ(lastSent(sent), WriteRequest(kNew) + static_cast<char>(kNak));
  EXPECT_EQ(sim_->StoredBlock(), DefaultSimBlock());

  // The short write reply echoes the request without the acknowledgement: 18 bytes whose last is
  // the request's checksum, here 0x06.
  SettingsBlock sumSix{};
  sumSix[15] = 0x06;
  ASSERT_TRUE(sim_->Control("fault short"));
  request = WriteRequest(sumSix);
  sent = sim_->Count("TX");
  EXPECT_EQ(Transact(comm_, request, kWriteReplySize, reply), 18);
  EXPECT_FALSE(WriteReplyGood(reply));
  const Frame shortReply = lastSent(sent);
  ASSERT_EQ(shortReply.size(), 18u);
  EXPECT_EQ(static_cast<std::uint8_t>(shortReply.back()), kAck);
}

TEST_F(SimExchange, StaleBytesAreNeverPartOfTheReply) {
  // The start of an older reply, waiting in the receive queue before the request.
  SettingsBlock older;
  older.fill(0x77);
  const Frame stale = BlockFrame(kReadCommand, older).substr(0, 10);
  ASSERT_TRUE(sim_->Control("send " + HexText(stale)));
  ASSERT_TRUE(Pump([&] { return comm_.InQueueCount() >= static_cast<std::int32_t>(stale.size()); }));

  EXPECT_EQ(ReadBlock(comm_), DefaultSimBlock());
  EXPECT_EQ(sim_->Count("RX"), 1u);
}

TEST_F(SimExchange, SurplusStaysQueuedUntilTheNextExchange) {
  ASSERT_TRUE(sim_->Control("fault extra"));
  EXPECT_EQ(ReadBlock(comm_), DefaultSimBlock());
  ASSERT_TRUE(Pump([&] { return comm_.InQueueCount() == static_cast<std::int32_t>(kSurplus.size()); }));

  ASSERT_TRUE(sim_->Control("fault none"));
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(comm_, request, kReadReplySize, reply), 18);
  EXPECT_EQ(reply, BlockFrame(kReadCommand, DefaultSimBlock()));
}

TEST_F(SimExchange, SilentUnitEndsAfterTheReceiveTimeOut) {
  ASSERT_TRUE(sim_->Control("fault silent"));
  Frame request = ReadRequest(), reply = "old";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Transact(comm_, request, kReadReplySize, reply), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kTimeoutMs) - 100ms);
  EXPECT_TRUE(reply.empty());
  EXPECT_TRUE(request.empty());
  EXPECT_EQ(sim_->Frames("RX"), std::vector<Frame>{ReadRequest()});
}

TEST_F(SimExchange, PortClosedWhileWaitingFailsAndTheUnitServesAReopenedPort) {
  ASSERT_TRUE(sim_->Control("fault silent"));
  // A handler that closes the port once the unit has the request, while the exchange waits.
  std::function<void()> closer = [&] {
    if (sim_->Count("RX") > 0) {
      comm_.Close();
    } else {
      main_.Post(closer);
    }
  };
  main_.Post(closer);
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(comm_, request, kReadReplySize, reply), -1);
  EXPECT_TRUE(reply.empty());
  EXPECT_FALSE(comm_.IsOpen());
  EXPECT_TRUE(WaitUntil([&] { return sim_->Count("HANGUP") > 0; }));

  ASSERT_TRUE(sim_->Control("fault none"));
  ASSERT_NO_THROW(comm_.Open());
  EXPECT_EQ(ReadBlock(comm_), DefaultSimBlock());
}

TEST_F(SimExchange, SecondExchangeDuringTheWaitIsRefused) {
  ASSERT_TRUE(sim_->Control("delay 300"));
  std::optional<std::int32_t> nested, nestedRead;
  Frame nestedRequest = ReadRequest(), nestedReply = "old";
  main_.Post([&] {
    nested = Transact(comm_, nestedRequest, kReadReplySize, nestedReply);
    char buffer[kReplyBufferSize];
    nestedRead = comm_.Read(buffer, kReadReplySize);
  });
  EXPECT_EQ(ReadBlock(comm_), DefaultSimBlock());
  ASSERT_TRUE(nested.has_value()) << "the handler did not run during the wait";
  EXPECT_EQ(*nested, -1);
  EXPECT_TRUE(nestedRequest.empty());
  EXPECT_TRUE(nestedReply.empty());
  EXPECT_EQ(nestedRead, -1);
  EXPECT_EQ(sim_->Frames("RX"), std::vector<Frame>{ReadRequest()});
}

}  // namespace
}  // namespace kx71

namespace kx71 {
namespace {

// A raw client on the unit's port, as a program would open it.
class RawLine {
 public:
  explicit RawLine(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    termios tio{};
    if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
      cfmakeraw(&tio);
      tcsetattr(fd_, TCSANOW, &tio);
    }
  }
  ~RawLine() {
    if (fd_ >= 0) close(fd_);
  }
  bool Ok() const { return fd_ >= 0; }
  Frame Exchange(const Frame& request, std::size_t expected) {
    if (write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return {};
    Frame reply;
    WaitUntil([&] {
      char buf[64];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n > 0) reply.append(buf, static_cast<std::size_t>(n));
      return reply.size() >= expected;
    });
    return reply;
  }

 private:
  int fd_;
};

// CPU time the process has used, in clock ticks.
long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;  // fields 3..13
  long user = 0, system = 0;
  fields >> user >> system;
  return user + system;
}

// A folder of its own for a unit's links, removed with the object.
struct TTempDir {
  std::string path;
  TTempDir() {
    char dir[] = "/tmp/kx71-unit-sim.XXXXXX";
    if (mkdtemp(dir) != nullptr) path = dir;
  }
  ~TTempDir() {
    if (!path.empty()) std::filesystem::remove_all(path);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
};

TEST(UnitSim, ServesAgainAfterHangUpsWithoutSpinningAndRemovesItsLink) {
  const TTempDir temp;
  ASSERT_FALSE(temp.path.empty());
  const char* dir = temp.path.c_str();
  {
    TSimProcess sim(dir, 3, {"--block", HexText(kNew)});
    ASSERT_TRUE(sim.Ready());
    char target[256] = {};
    ASSERT_GT(readlink(sim.LinkPath().c_str(), target, sizeof target - 1), 0);
    EXPECT_TRUE(std::string(target).starts_with("/dev/pts/")) << target;

    for (std::size_t round = 0; round < 2; ++round) {
      {
        RawLine line(sim.LinkPath());
        ASSERT_TRUE(line.Ok());
        EXPECT_EQ(BlockFromReadReply(line.Exchange(ReadRequest(), kReadReplySize)), kNew)
            << "round " << round;
      }
      ASSERT_TRUE(WaitUntil([&] { return sim.Count("HANGUP") == round + 1; }))
          << testing::PrintToString(sim.Log());
    }
    // Hung up, the pseudo-terminal reports the hang-up on every poll; the unit must not spin on it.
    const long before = CpuTicks(sim.Pid());
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(CpuTicks(sim.Pid()) - before, sysconf(_SC_CLK_TCK) / 5);

    EXPECT_TRUE(sim.Stop());
    EXPECT_NE(access(sim.LinkPath().c_str(), F_OK), 0) << "link left behind";
    ASSERT_FALSE(sim.Log().empty());
    EXPECT_EQ(sim.Log().back(), "EXIT SIGTERM");
  }
}

// The tool's own output and wait status for `args`.
std::pair<std::string, int> RunUnitSim(const std::string& args) {
  FILE* out = popen((std::string(KX71_UNIT_SIM_PATH) + " " + args + " 2>&1").c_str(), "r");
  if (!out) return {"", -1};
  std::string text;
  char buffer[256];
  while (const std::size_t n = fread(buffer, 1, sizeof buffer, out)) text.append(buffer, n);
  return {text, pclose(out)};
}

TEST(UnitSim, RefusesAMissingFolderAndAPortAnotherUnitHolds) {
  const TTempDir temp;
  ASSERT_FALSE(temp.path.empty());
  const char* dir = temp.path.c_str();
  const std::string missing = std::string(dir) + "/missing";
  const auto [lost, lostStatus] = RunUnitSim("--devicemap " + missing + " --port 3");
  EXPECT_TRUE(WIFEXITED(lostStatus) && WEXITSTATUS(lostStatus) == 2) << lostStatus;
  EXPECT_NE(lost.find("kx71-unit-sim: no such folder: " + missing), std::string::npos) << lost;
  EXPECT_FALSE(std::filesystem::exists(missing));

  TSimProcess first(dir, 3);
  ASSERT_TRUE(first.Ready());
  const auto target = std::filesystem::read_symlink(first.LinkPath());
  const auto [second, status] = RunUnitSim(std::string("--devicemap ") + dir + " --port 3");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  EXPECT_NE(second.find("already leads to " + target.string() + ", another unit's line"), std::string::npos)
      << second;
  // The first unit keeps its link, and still answers behind it.
  EXPECT_EQ(std::filesystem::read_symlink(first.LinkPath()), target);
  RawLine line(first.LinkPath());
  ASSERT_TRUE(line.Ok());
  EXPECT_TRUE(BlockFromReadReply(line.Exchange(ReadRequest(), kReadReplySize)).has_value());
}

}  // namespace
}  // namespace kx71
