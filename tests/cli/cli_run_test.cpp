// kx71-vantor as a user runs it: a process of its own, against simulated units on pseudo-terminals
// listed through a device map, with every kind of bad reply, a held port, a missing one, restores to
// the right and the wrong unit, and bad arguments.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "cli/saved_block.h"
#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "protocol/exchange.h"
#include "run_program.h"
#include "sim_process.h"
#include "unit.h"

namespace kx71::cli {
namespace {

using namespace std::chrono_literals;

using TRun = TProgramResult;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Another program holding a port, as the window would.
class THolder {
 public:
  explicit THolder(int port) {
    comm_.SetPortNo(port);
    comm_.SetFlowCtrl(cfcNone);
    comm_.Open();
  }

 private:
  TPlainMainThread main_;
  TCommX comm_{main_};
};

class CliRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/kx71-cli.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    setenv("KX71_DEVICEMAP", dir, 1);
  }
  void TearDown() override {
    for (auto& [port, sim] : sims_) {
      if (HasFailure())
        for (const std::string& line : sim->Log()) std::printf("COM%d: %s\n", port, line.c_str());
    }
    sims_.clear();
    std::filesystem::remove_all(dir_);
  }

  TSimProcess& Unit(int port, std::vector<std::string> args = {}) {
    auto sim = std::make_unique<TSimProcess>(dir_, port, std::move(args));
    EXPECT_TRUE(sim->Ready()) << "the simulated unit COM" << port << " did not start";
    return *(sims_[port] = std::move(sim));
  }

  // Runs the program with `args` and waits for it to end.
  TRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), KX71_CLI_PATH);
    TRun run = RunProgram(args, dir_ + "/out", dir_ + "/err");
    if (run.status < 0) ADD_FAILURE() << "the program did not start or end";
    return run;
  }

  std::string dir_;
  std::map<int, std::unique_ptr<TSimProcess>> sims_;
};

// What the unit received contains no write request: nothing was sent to it but reads.
bool OnlyReads(const TSimProcess& sim) {
  for (const Frame& f : sim.Frames("RX"))
    if (f != ReadRequest()) return false;
  return true;
}

SettingsBlock WithIds(std::uint32_t yourId, std::uint32_t myId, bool master) {
  SettingsValues v = DecodeBlock(DefaultSimBlock());
  v.yourId = yourId;
  v.myId = myId;
  v.master = master;
  return EncodeBlock(v);
}

TEST_F(CliRun, ReadShowsEveryFieldOfTheBlock) {
  Unit(3);
  const TRun r = Run({"read", "COM3"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* part : {"COM3: OK, read YOURID 1193046 (0x123456), MYID 6636321 (0x654321)",
                           "marker (BUP)        5Ah", "overtake (OVERTAKE) on", "overtake count      5",
                           "max power (%)       74", "level               No Handicap (none), count 5"})
    EXPECT_TRUE(Has(r.out, part)) << part << "\n" << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(CliRun, ReadAsJsonAndSavedPerPort) {
  Unit(3);
  Unit(4, {"--block", BlockHex(WithIds(0xABCDEF, 0x000001, true))});
  const TRun r = Run({"read", "COM3", "COM4", "--json", "--save", dir_ + "/car-{port}.json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(
      r.out, "{\"port\": \"COM3\", \"ok\": true, \"block\": {\"bytes\": \"" + BlockHex(DefaultSimBlock())))
      << r.out;
  EXPECT_TRUE(Has(r.out, "\"yourId\": 11259375, \"myId\": 1, \"master\": true")) << r.out;
  for (const auto& [port, block] :
       {std::pair{"COM3", DefaultSimBlock()}, std::pair{"COM4", WithIds(0xABCDEF, 1, true)}}) {
    const auto saved = LoadBlockFile(dir_ + "/car-" + port + ".json");
    ASSERT_TRUE(std::holds_alternative<TSavedBlock>(saved)) << std::get<std::string>(saved);
    EXPECT_EQ(std::get<TSavedBlock>(saved).block, block) << port;
    EXPECT_EQ(std::get<TSavedBlock>(saved).port, port);
  }
}

TEST_F(CliRun, WriteSetsTheLevelOnSeveralUnitsKeepingWhatIsTheirs) {
  const std::vector<SettingsBlock> before = {DefaultSimBlock(), WithIds(0x000002, 0x000003, true),
                                             WithIds(0xFFFFFF, 0x000000, false)};
  for (int i = 0; i < 3; ++i) Unit(i + 1, {"--block", BlockHex(before[static_cast<std::size_t>(i)])});
  const TRun r = Run({"write", "COM1", "COM2", "COM3", "--level", "Handicap +3"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (int i = 0; i < 3; ++i) {
    const std::string port = "COM" + std::to_string(i + 1);
    EXPECT_TRUE(Has(r.out, port + ": OK, wrote Handicap +3 (count 8)")) << r.out;
    const SettingsBlock want =
        EncodeBlock(ValuesToWrite(DecodeBlock(before[static_cast<std::size_t>(i)]), 8));
    EXPECT_EQ(sims_[i + 1]->StoredBlock(), want) << port;
    EXPECT_EQ(sims_[i + 1]->Frames("RX"), (std::vector<Frame>{ReadRequest(), WriteRequest(want)})) << port;
  }
}

struct FaultCase {
  const char* fault;
  bool readOk;           // the read succeeds despite the fault
  const char* readWhy;   // what standard error says when it does not
  bool writeSent;        // the write request goes out
  const char* writeWhy;  // "" when the write succeeds
};

class CliFaults : public CliRun, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(CliFaults, ReadAndWriteReportThem) {
  const FaultCase& c = GetParam();
  TSimProcess& sim = Unit(5, {"--fault", c.fault});
  const TRun read = Run({"read", "COM5", "--timeout", "700"});
  EXPECT_EQ(read.status, c.readOk ? 0 : 1) << read.out << read.err;
  EXPECT_TRUE(Has(read.out, c.readOk ? "COM5: OK" : "COM5: FAILED, not read")) << read.out;
  if (!c.readOk) {
    EXPECT_TRUE(Has(read.err, std::string("kx71-vantor: COM5: ") + c.readWhy)) << read.err;
  }

  const TRun write = Run({"write", "COM5", "--level", "max", "--timeout", "700"});
  const bool writeOk = *c.writeWhy == '\0';
  EXPECT_EQ(write.status, writeOk ? 0 : 1) << write.out << write.err;
  if (!writeOk) {
    EXPECT_TRUE(Has(write.err, std::string("kx71-vantor: COM5: ") + c.writeWhy)) << write.err;
  }
  EXPECT_EQ(!OnlyReads(sim), c.writeSent);
  const SettingsBlock written = EncodeBlock(ValuesToWrite(DecodeBlock(DefaultSimBlock()), 250));
  EXPECT_EQ(sim.StoredBlock(), writeOk ? written : DefaultSimBlock());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliFaults,
    ::testing::Values(FaultCase{"silent", false, "no reply", false, "read before writing: no reply"},
                      FaultCase{"short", false, "short reply (17 of 18 bytes)", false,
                                "read before writing: short reply"},
                      FaultCase{"badsum", false, "bad checksum", false, "read before writing: bad checksum"},
                      FaultCase{"garbage", false, "bad checksum", false, "read before writing: bad checksum"},
                      FaultCase{"nak", true, "", true, "write: the unit refused the block (NAK)"},
                      FaultCase{"extra", true, "", true, ""}),
    [](const auto& info) { return std::string(info.param.fault); });

TEST_F(CliRun, HeldAndMissingPortsFailAloneAndAreNotTouched) {
  Unit(2);
  TSimProcess& good = Unit(3);
  const THolder holder(2);
  const TRun r = Run({"write", "COM2", "COM9", "COM3", "--level", "+1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.out, "COM2: FAILED, nothing written")) << r.out;
  EXPECT_TRUE(Has(r.out, "COM9: FAILED, nothing written")) << r.out;
  EXPECT_TRUE(Has(r.out, "COM3: OK, wrote Handicap +1 (count 6)")) << r.out;
  EXPECT_TRUE(Has(r.err, "COM2: cannot open the port (" + dir_ + "/COM2): port in use by another program"))
      << r.err;
  EXPECT_TRUE(Has(r.err, "COM9: cannot open the port: no such device")) << r.err;
  EXPECT_EQ(sims_[2]->Count("RX"), 0u);
  EXPECT_EQ(good.Count("RX"), 2u);
}

TEST_F(CliRun, RestoreOnlyToTheUnitTheCopyCameFrom) {
  TSimProcess& same = Unit(1);
  TSimProcess& other = Unit(2, {"--block", BlockHex(WithIds(0x000777, 0x000888, false))});
  const std::string file = dir_ + "/car.json";
  ASSERT_EQ(Run({"read", "COM1", "--save", file}).status, 0);
  ASSERT_EQ(Run({"write", "COM1", "--level", "legend"}).status, 0);
  ASSERT_NE(same.StoredBlock(), DefaultSimBlock());

  TRun r = Run({"restore", "COM1", file});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "COM1: OK, restored YOURID 1193046")) << r.out;
  EXPECT_EQ(same.StoredBlock(), DefaultSimBlock());

  r = Run({"restore", "COM2", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.err,
                  "COM2: the unit's identifiers (YOURID 1911, MYID 2184) are not the file's (YOURID 1193046, "
                  "MYID 6636321); --force writes anyway"))
      << r.err;
  EXPECT_TRUE(OnlyReads(other));

  r = Run({"restore", "COM2", file, "--force"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "forced (other identifiers)")) << r.out;
  EXPECT_EQ(other.StoredBlock(), DefaultSimBlock());

  std::ofstream(dir_ + "/bad.json") << "{\"format\": \"kx71-vantor-block\", \"version\": 1}";
  r = Run({"restore", "COM1", dir_ + "/bad.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.err, "bad.json: no \"block\"")) << r.err;
}

TEST_F(CliRun, FindAsksEveryPortOnceAndAtOnce) {
  // Units answer on COM1, COM3 and COM5; COM2 and COM6 stay silent; another program holds COM4.
  for (int port : {1, 3, 5}) Unit(port, {"--block", BlockHex(WithIds(0x100 + port, 0x200 + port, false))});
  for (int port : {2, 4, 6}) Unit(port, {"--fault", "silent"});
  const THolder holder(4);
  constexpr int kTimeoutMs = 3000;
  const TRun r = Run({"find", "--timeout", std::to_string(kTimeoutMs)});
  EXPECT_EQ(r.status, 0) << r.err;
  for (int port : {1, 3, 5})
    EXPECT_TRUE(Has(r.out, "COM" + std::to_string(port) + ": unit YOURID " + std::to_string(0x100 + port)))
        << r.out;
  EXPECT_TRUE(Has(r.out, "COM2: no unit (no reply)")) << r.out;
  EXPECT_TRUE(Has(r.out, "COM6: no unit (no reply)")) << r.out;
  EXPECT_TRUE(Has(r.out, "COM4: held by another program, not touched")) << r.out;
  EXPECT_TRUE(Has(r.out, "3 units found")) << r.out;
  for (auto& [port, sim] : sims_) {
    EXPECT_TRUE(OnlyReads(*sim)) << port;
    EXPECT_EQ(sim->Count("RX"), port == 4 ? 0u : 1u) << port;
  }
  // One time-out for the whole search: the two silent ports asked one after the other would take
  // twice as long.
  EXPECT_LT(r.took.count(), 2 * kTimeoutMs - 500) << "took " << r.took.count() << " ms";
}

TEST_F(CliRun, FindWithNoUnitFails) {
  Unit(2, {"--fault", "silent"});
  const TRun r = Run({"find", "--timeout", "300"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.out, "COM2: no unit (no reply)")) << r.out;
  EXPECT_TRUE(Has(r.out, "0 units found")) << r.out;
}

TEST_F(CliRun, PortsListsTheDevicesBehindThePorts) {
  Unit(4);
  Unit(12);
  const TRun r = Run({"ports"});
  EXPECT_EQ(r.status, 0) << r.err;
  for (int port : {4, 12}) {
    const std::string device = std::filesystem::canonical(dir_ + "/COM" + std::to_string(port)).string();
    EXPECT_TRUE(Has(
        r.out, "COM" + std::to_string(port) + "\t" + dir_ + "/COM" + std::to_string(port) + " -> " + device))
        << r.out;
  }
  EXPECT_LT(r.out.find("COM4\t"), r.out.find("COM12\t")) << "in port-number order:\n" << r.out;
}

TEST_F(CliRun, BadArgumentsExitWithTwoNamingTheFault) {
  struct Case {
    std::vector<std::string> args;
    const char* named;
  };
  for (const Case& c : {Case{{}, "no command given"}, Case{{"write", "COM1"}, "'write' needs --level"},
                        Case{{"read", "COM1", "--timeout", "soon"}, "--timeout 'soon'"},
                        Case{{"write", "COM1", "--level", "+9"}, "unknown level '+9'"}}) {
    const TRun r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.named;
    EXPECT_TRUE(Has(r.err, std::string("kx71-vantor: ") + c.named)) << r.err;
    EXPECT_TRUE(Has(r.err, "Try 'kx71-vantor --help'")) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const TRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Has(help.out, "usage: kx71-vantor COMMAND")) << help.out;
}

}  // namespace
}  // namespace kx71::cli
