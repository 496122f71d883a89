// The port selector and the two device commands on the window's logic, against the simulated unit's
// answers over a fake line: what a read shows and which level it selects, the frame a write sends,
// each way the unit can fail, and one exchange at a time while a handler pumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "fake_unit.h"
#include "fake_window.h"
#include "protocol/exchange.h"
#include "support/fake_serial_device.h"

namespace kx71 {
namespace {

using test::TFakeUnit;
using test::TFakeWindow;
using Strings = std::vector<std::string>;

constexpr int kPort = 3;  // the selector's entry COM3 (entry 0 is "OFF")

// A unit whose every value differs from the window's at start-up: marker 0x5A, master on, overtake
// off, count 8, time 9, power 40.
const SettingsValues kUnit{.marker5A = true, .yourId = 0xABCDEF, .myId = 0x000102, .master = true,
                           .overtake = false, .lastChannel = 200, .mode = 7, .lowChannel = 1,
                           .highChannel = 255, .steeringAdjust = 99, .overtakeCount = 8, .overtakeTime = 9,
                           .maxPower = 40};

SettingsBlock Block(std::initializer_list<std::uint8_t> bytes) {
  SettingsBlock b{};
  std::copy(bytes.begin(), bytes.end(), b.begin());
  return b;
}

class CommandsTest : public ::testing::Test {
 protected:
  explicit CommandsTest(const SettingsBlock& block = EncodeBlock(kUnit)) : unit(window, line, block) {
    InfoLog();  // start-up's
  }

  // The user picks COM3 in the selector.
  void Connect() {
    form.CommBox.UserCloseUp(kPort);
    ASSERT_EQ(form.MON_EDIT.Text(), "Connected to COM3");
  }
  // Every text the information line showed since the last call.
  Strings InfoLog() { return std::exchange(window.View(form.MON_EDIT).texts, {}); }

  // What the window's editors hold, checking on the way that every edit shows its bar's position.
  SettingsValues Shown() {
    for (TBar* bar : {&form.LAST_BAR, &form.MODE_BAR, &form.UA_BAR, &form.LOW_BAR, &form.HICH_BAR,
                      &form.THR_BAR, &form.YOBI1_BAR, &form.YOBI2_BAR}) {
      EXPECT_EQ(static_cast<TEdit*>(bar->Partner())->Text(), std::to_string(bar->Position())) << bar->Name();
    }
    for (TEdit* id : {&form.YOUID_EDIT, &form.MYID_EDIT}) EXPECT_EQ(id->Text(), std::to_string(id->Tag()));
    EXPECT_NE(form.BUP_5Ah.Checked(), form.BUP_00h.Checked());
    EXPECT_NE(form.MAS_ON.Checked(), form.MAS_OFF.Checked());
    EXPECT_NE(form.OT_ON.Checked(), form.OT_OFF.Checked());
    return {.marker5A = form.BUP_5Ah.Checked(), .yourId = static_cast<std::uint32_t>(form.YOUID_EDIT.Tag()),
            .myId = static_cast<std::uint32_t>(form.MYID_EDIT.Tag()), .master = form.MAS_ON.Checked(),
            .overtake = form.OT_ON.Checked(), .lastChannel = form.LAST_BAR.Position(),
            .mode = form.MODE_BAR.Position(), .lowChannel = form.UA_BAR.Position(),
            .highChannel = form.LOW_BAR.Position(), .steeringAdjust = form.HICH_BAR.Position(),
            .overtakeCount = form.THR_BAR.Position(), .overtakeTime = form.YOBI1_BAR.Position(),
            .maxPower = form.YOBI2_BAR.Position()};
  }
  // The selected level option, or nullptr.
  const TOption* Level() {
    const TOption* selected = nullptr;
    for (int i = 0; i < kLevelCount; ++i) {
      const TOption& o = form.LevelOption(static_cast<HandicapLevel>(i));
      if (o.Checked()) {
        EXPECT_EQ(selected, nullptr) << "two levels selected";
        selected = &o;
      }
    }
    return selected;
  }

  std::shared_ptr<testing::TFakeLine> line = std::make_shared<testing::TFakeLine>();
  // Without the component's fixed pauses around open and close.
  TFakeWindow window{TCommXEnvironment{testing::TFakeLine::Factory(line), [](std::int32_t) {}}};
  TMainForm& form = window.form();
  TFakeUnit unit;
};

TEST_F(CommandsTest, PortFollowsTheSelector) {
  Connect();
  EXPECT_TRUE(form.CommX1.IsOpen());
  EXPECT_EQ(form.CommX1.PortNo(), kPort);
  EXPECT_FALSE(line->Dtr());  // pulsed, then left off for every exchange
  // The port already open is closed and opened again.
  form.CommBox.UserCloseUp(kPort);
  EXPECT_EQ(line->Opens(), 2);
  EXPECT_EQ(line->OpenDevices(), 1);

  form.CommBox.UserCloseUp(0);
  EXPECT_FALSE(form.CommX1.IsOpen());
  form.CommBox.UserCloseUp(0);  // shown again while closed
  EXPECT_EQ(InfoLog(), (Strings{"Connected to COM3", "Connected to COM3", "Closed a serial port",
                                "Closed a serial port"}));

  // A failed open: the port open before is closed first and stays closed; the selector keeps the
  // choice. A text without a number after "COM" ends the same way, with no box.
  Connect();
  line->FailOpen(true);
  form.CommBox.UserCloseUp(5);
  EXPECT_EQ(form.MON_EDIT.Text(), "Cannot use COM5");
  EXPECT_FALSE(form.CommX1.IsOpen());
  EXPECT_EQ(line->OpenDevices(), 0);
  EXPECT_EQ(form.CommBox.ItemIndex(), 5);
  line->FailOpen(false);
  form.CommBox.Assign({"OFF", "COMX", "COM"});
  for (int entry : {1, 2}) {
    form.CommBox.UserCloseUp(entry);
    EXPECT_EQ(form.MON_EDIT.Text(), "Cannot use " + form.CommBox.Items()[static_cast<std::size_t>(entry)]);
    EXPECT_FALSE(form.CommX1.IsOpen());
  }
  EXPECT_TRUE(window.boxes.empty());
}

TEST_F(CommandsTest, ReadFillsEveryEditor) {
  Connect();
  form.READ_BTN.UserClicked();
  EXPECT_EQ(form.MON_EDIT.Text(), "Loading OK");
  EXPECT_EQ(Shown(), kUnit);
  EXPECT_EQ(form.YOUID_EDIT.Text(), "11259375");
  EXPECT_EQ(form.MYID_EDIT.Text(), "258");
  EXPECT_EQ(Level(), &form.Handy3);

  // Each option pair follows the other way too.
  const SettingsValues other{.marker5A = false, .yourId = 0, .myId = 0xFFFFFF, .master = false, .overtake = true,
                             .lastChannel = 0, .mode = 255, .lowChannel = 128, .highChannel = 0,
                             .steeringAdjust = 1, .overtakeCount = 250, .overtakeTime = 1, .maxPower = 100};
  unit.sim.SetBlock(EncodeBlock(other));
  form.READ_BTN.UserClicked();
  EXPECT_EQ(Shown(), other);
  EXPECT_EQ(unit.Requests(kReadCommand), (std::vector<Frame>(2, Frame(1, static_cast<char>(kReadCommand)))));
  EXPECT_TRUE(unit.Requests(kWriteCommand).empty());
}

std::string OptionMessage(std::string_view option) {
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& info = Info(static_cast<HandicapLevel>(i));
    if (info.name == option) return info.message;
  }
  return "<no level " + std::string(option) + ">";
}

struct LevelCase {
  int countByte;     // byte 13 of the unit's block
  const char* level;  // the option the read selects
  int count;         // the count shown afterwards: the level's preset, unless it was selected already
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << "count " << c.countByte; }

class ReadLevelTest : public CommandsTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ReadLevelTest, SelectsTheLevelOfTheCountRead) {
  SettingsBlock block = EncodeBlock(kUnit);
  block[13] = static_cast<std::uint8_t>(GetParam().countByte);
  unit.sim.SetBlock(block);
  const std::string commentBefore = form.K_Comment.Text();
  ASSERT_EQ(Level(), &form.Handy0);  // selected at start-up
  Connect();
  form.READ_BTN.UserClicked();
  ASSERT_EQ(form.MON_EDIT.Text(), "Loading OK");
  ASSERT_NE(Level(), nullptr);
  EXPECT_STREQ(Level()->Name(), GetParam().level);
  EXPECT_EQ(form.THR_BAR.Position(), GetParam().count);
  EXPECT_EQ(form.THR_EDIT.Text(), std::to_string(GetParam().count));
  // A level newly selected shows its message; the one selected already leaves the comment.
  const std::string comment = Level() == &form.Handy0 ? commentBefore : OptionMessage(GetParam().level);
  EXPECT_EQ(form.K_Comment.Text(), comment);

  // Read again with that level selected: the count read stays (limited to the bar's 1 to 250).
  form.READ_BTN.UserClicked();
  EXPECT_STREQ(Level()->Name(), GetParam().level);
  EXPECT_EQ(form.THR_BAR.Position(), std::clamp(GetParam().countByte, 1, 250));
  EXPECT_EQ(form.K_Comment.Text(), comment);
}

// Counts of no level (0, 2, 4, 11, 16, 255) included.
INSTANTIATE_TEST_SUITE_P(
    Counts, ReadLevelTest,
    ::testing::Values(LevelCase{0, "Handy_S", 1}, LevelCase{2, "Handy_S", 1}, LevelCase{3, "Handy_M", 3},
                      LevelCase{4, "Handy_M", 3}, LevelCase{5, "Handy0", 5}, LevelCase{6, "Handy1", 6},
                      LevelCase{7, "Handy2", 7}, LevelCase{8, "Handy3", 8}, LevelCase{9, "Handy4", 9},
                      LevelCase{10, "Handy5", 10}, LevelCase{11, "Handy0", 11}, LevelCase{12, "Handy6", 15},
                      LevelCase{16, "Handy6", 15}, LevelCase{17, "Handy_7", 250}, LevelCase{255, "Handy_7", 250}),
    [](const auto& info) { return "Count" + std::to_string(info.param.countByte); });

struct WriteCase {
  const char* name;
  SettingsBlock atStart;  // the unit's block when the window first reads it (if it does)
  bool readFirst;         // a read command before the level is chosen
  const char* level;      // the option the user clicks, or nullptr
  SettingsBlock atWrite;  // the unit's block when the write's own read comes
  std::uint8_t count;     // the count the write sends
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

// The write request for a unit holding `unit`, as the wire carries it: byte 0 of the block goes
// back as 0x5A or 0x00, the master bit of byte 7 is kept beside the overtake bit, bytes 1 to 6 and 8
// to 12 go back as they are, then the count, time 3 and the power byte of 74.
Frame ExpectedWrite(const SettingsBlock& unit, std::uint8_t count) {
  SettingsBlock b = unit;
  b[0] = unit[0] == 0x5A ? 0x5A : 0x00;
  b[7] = static_cast<std::uint8_t>((unit[7] & 0x01) | 0x08);
  b[13] = count;
  b[14] = 3;
  b[15] = 0x51;
  Frame f(1, static_cast<char>(0xF5));
  unsigned sum = 0;
  for (std::uint8_t byte : b) {
    f.push_back(static_cast<char>(byte));
    sum += byte;
  }
  f.push_back(static_cast<char>(sum % 256));
  return f;
}

class WriteTest : public CommandsTest, public ::testing::WithParamInterface<WriteCase> {
 protected:
  WriteTest() : CommandsTest(GetParam().atStart) {}
};

TEST_P(WriteTest, SendsTheUnitsOwnValuesWithTheChosenCount) {
  const WriteCase& c = GetParam();
  Connect();
  if (c.readFirst) form.READ_BTN.UserClicked();
  if (c.level) static_cast<TOption*>(form.Find(c.level))->UserClicked();
  unit.sim.SetBlock(c.atWrite);
  InfoLog();
  form.PROGRAM_BTN.UserClicked();
  EXPECT_EQ(InfoLog(), (Strings{"Loading OK", "Writing OK"}));

  const std::vector<Frame> writes = unit.Requests(kWriteCommand);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], ExpectedWrite(c.atWrite, c.count));
  EXPECT_EQ(Frame(unit.sim.Block().begin(), unit.sim.Block().end()), writes[0].substr(1, 16));
  // The window shows what was written.
  EXPECT_EQ(EncodeBlock(Shown()), unit.sim.Block());
  EXPECT_EQ(form.YOBI2_EDIT.Text(), "74");
}

INSTANTIATE_TEST_SUITE_P(
    Units, WriteTest,
    ::testing::Values(
        // The block changes between the read and the write: the write's own read counts, the master
        // flag (cleared now) included, while the level stays the user's.
        WriteCase{"ChosenLevelAfterARead", EncodeBlock(kUnit), true, "Handy6",
                  Block({0x5A, 0x01, 0x02, 0x03, 0xFF, 0xFF, 0xFF, 0x00, 11, 22, 33, 44, 55, 99, 200, 10}), 15},
        // No read and no level: count 1; a marker other than 0x5A goes back as 0x00, the master
        // bit is kept and the bits the tool never writes are dropped.
        WriteCase{"RightAfterStart", EncodeBlock(kUnit), false, nullptr,
                  Block({0x33, 0xAB, 0xCD, 0xEF, 0x00, 0x01, 0x02, 0xF7, 200, 7, 1, 255, 99, 8, 9, 98}), 1},
        WriteCase{"MasterOffAndMarker00", EncodeBlock(kUnit), true, "Handy_7",
                  Block({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xF6, 0, 0, 0, 0, 0, 0, 0, 0}), 250},
        WriteCase{"MasterOnAfterAReadOfMasterOff", Block({0x5A, 1, 2, 3, 4, 5, 6, 0x00, 1, 2, 3, 4, 5, 5, 3, 81}),
                  true, "Handy_M", Block({0x5A, 1, 2, 3, 4, 5, 6, 0x01, 1, 2, 3, 4, 5, 5, 3, 81}), 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, WithNoPortOpenBothEndAtOnceAndAWriteStillImposesItsValues) {
  form.READ_BTN.UserClicked();
  EXPECT_EQ(form.MON_EDIT.Text(), "Loading NG");
  EXPECT_EQ(form.THR_BAR.Position(), 1);  // a failed read changes nothing
  form.PROGRAM_BTN.UserClicked();
  EXPECT_EQ(form.MON_EDIT.Text(), "Writing NG");
  EXPECT_TRUE(form.OT_ON.Checked());
  EXPECT_EQ(form.YOBI1_BAR.Position(), 3);
  EXPECT_EQ(form.YOBI2_BAR.Position(), 74);
  EXPECT_EQ(form.YOBI2_EDIT.Text(), "74");
  EXPECT_GE(window.pumps, 2);  // each command lets waiting messages run first
  EXPECT_TRUE(line->Writes().empty());
}

struct FaultCase {
  const char* name;
  SimFault fault;
  bool late;        // the answers come after the exchange gave up
  bool readsGood;   // "Loading OK"
  bool writesGood;  // "Writing OK"
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultTest : public CommandsTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, ReadAndWriteReportTheFaultAndAFailedReadWritesNothing) {
  const FaultCase& c = GetParam();
  ASSERT_EQ(form.CommX1.TimeOutReceive(), 3000);  // the window's own
  form.CommX1.SetTimeOutReceive(1000);  // a silent, short or late unit costs one time-out an exchange
  Connect();
  unit.sim.SetFault(c.fault);
  unit.late = c.late;

  const SettingsValues before = Shown();
  InfoLog();
  form.READ_BTN.UserClicked();
  EXPECT_EQ(InfoLog(), Strings{c.readsGood ? "Loading OK" : "Loading NG"});
  EXPECT_EQ(Shown(), c.readsGood ? kUnit : before);  // nothing of a bad reply is taken

  const SettingsValues beforeWrite = Shown();
  form.PROGRAM_BTN.UserClicked();
  EXPECT_EQ(InfoLog(), (Strings{c.readsGood ? "Loading OK" : "Loading NG", c.writesGood ? "Writing OK" : "Writing NG"}));
  if (!c.readsGood) {
    EXPECT_EQ(Shown(), ValuesToWrite(beforeWrite, beforeWrite.overtakeCount));
  }

  // A good read once the unit behaves: what came late or in surplus is not taken for its reply.
  unit.sim.SetFault(SimFault::None);
  unit.late = false;
  form.READ_BTN.UserClicked();
  EXPECT_EQ(form.MON_EDIT.Text(), "Loading OK");
  EXPECT_EQ(unit.Requests(kReadCommand).size(), 3u);
  if (c.late) {
    EXPECT_EQ(unit.Delivered(), 3u * kReadReplySize);  // both late replies came, and were passed over
  }
  const std::vector<Frame> writes = unit.Requests(kWriteCommand);
  ASSERT_EQ(writes.size(), c.readsGood ? 1u : 0u) << "a write after a failed read sent the window's values";
  if (c.writesGood) {
    EXPECT_EQ(Frame(unit.sim.Block().begin(), unit.sim.Block().end()), writes[0].substr(1, 16));
    EXPECT_EQ(Shown(), DecodeBlock(unit.sim.Block()));
  } else {
    EXPECT_EQ(unit.sim.Block(), EncodeBlock(kUnit));
    EXPECT_EQ(Shown().yourId, kUnit.yourId);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, FaultTest,
    ::testing::Values(FaultCase{"Silent", SimFault::Silent, false, false, false},
                      FaultCase{"Short", SimFault::Short, false, false, false},
                      FaultCase{"BadChecksum", SimFault::Badsum, false, false, false},
                      FaultCase{"Nak", SimFault::Nak, false, true, false},
                      FaultCase{"Surplus", SimFault::Extra, false, true, true},
                      FaultCase{"GarbageFirst", SimFault::Garbage, false, false, false},
                      FaultCase{"Late", SimFault::None, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, OneExchangeAtATimeWhileAHandlerPumps) {
  Connect();
  SettingsValues five = kUnit;
  five.overtakeCount = 5;
  unit.sim.SetBlock(EncodeBlock(five));
  bool levelTaken = false;
  unit.duringExchange = [&] {
    form.PROGRAM_BTN.UserClicked();
    form.READ_BTN.UserClicked();
    form.Handy_7.UserClicked();  // the window stays usable meanwhile
    levelTaken = form.THR_BAR.Position() == 250;
  };
  InfoLog();
  form.READ_BTN.UserClicked();
  ASSERT_TRUE(unit.RanDuringExchange());
  EXPECT_TRUE(levelTaken);
  EXPECT_EQ(InfoLog(), Strings{"Loading OK"});
  // The count read (5) selects "No Handicap" again, since "+MAX" was selected meanwhile.
  EXPECT_EQ(Level(), &form.Handy0);
  EXPECT_EQ(form.THR_BAR.Position(), 5);
  EXPECT_EQ(unit.Requests(kReadCommand).size(), 1u);
  EXPECT_TRUE(unit.Requests(kWriteCommand).empty());
}

TEST_F(CommandsTest, PortChosenDuringAnExchangeEndsIt) {
  Connect();
  unit.duringExchange = [&] { form.CommBox.UserCloseUp(0); };
  InfoLog();
  form.PROGRAM_BTN.UserClicked();
  ASSERT_TRUE(unit.RanDuringExchange());
  EXPECT_EQ(InfoLog(), (Strings{"Closed a serial port", "Loading NG", "Writing NG"}));
  EXPECT_FALSE(form.CommX1.IsOpen());
  EXPECT_TRUE(unit.Requests(kWriteCommand).empty());
}

}  // namespace
}  // namespace kx71
