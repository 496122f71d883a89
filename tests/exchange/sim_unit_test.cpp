// The simulated unit's behaviour, fed byte by byte without a line.
#include <gtest/gtest.h>

#include "control.h"
#include "hex.h"
#include "protocol/exchange.h"
#include "unit.h"

namespace kx71 {
namespace {

const SettingsBlock kNew = {0x00, 0xAB, 0xCD, 0xEF, 0x00, 0x00, 0x01, 0x01, 1, 2, 3, 4, 5, 8, 3, 0x51};

// Feeds every byte of `frame`; the step of the last one.
TSimUnit::Step FeedAll(TSimUnit& unit, const Frame& frame) {
  TSimUnit::Step step;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    step = unit.Feed(static_cast<std::uint8_t>(frame[i]));
    if (i + 1 < frame.size()) {
      EXPECT_EQ(step.kind, TSimUnit::StepKind::Pending) << "byte " << i;
    }
  }
  return step;
}

TEST(SimUnit, AnswersReadsAndStoresGoodWrites) {
  TSimUnit unit(DefaultSimBlock());
  TSimUnit::Step step = unit.Feed(kReadCommand);
  ASSERT_EQ(step.kind, TSimUnit::StepKind::Request);
  EXPECT_EQ(BlockFromReadReply(step.reply), DefaultSimBlock());

  step = FeedAll(unit, WriteRequest(kNew));
  ASSERT_EQ(step.kind, TSimUnit::StepKind::Request);
  EXPECT_TRUE(step.stored);
  EXPECT_TRUE(WriteReplyGood(step.reply));
  EXPECT_EQ(unit.Block(), kNew);
  EXPECT_EQ(BlockFromReadReply(unit.Feed(kReadCommand).reply), kNew);

  // A bad checksum is refused with NAK and changes nothing.
  Frame bad = WriteRequest(DefaultSimBlock());
  bad.back() = static_cast<char>(bad.back() ^ 1);
  step = FeedAll(unit, bad);
  EXPECT_FALSE(step.stored);
  EXPECT_EQ(step.reply.size(), 19u);
  EXPECT_EQ(static_cast<std::uint8_t>(step.reply.back()), kNak);
  EXPECT_EQ(unit.Block(), kNew);
  EXPECT_EQ(unit.Reads(), 2);
  EXPECT_EQ(unit.Writes(), 2);
}

TEST(SimUnit, FixtureCommandsOnlyWhenTakenAndEchoesTakeEveryByteAsData) {
  TSimUnit unit(DefaultSimBlock());
  EXPECT_EQ(unit.Feed(fixture::kPrefix).kind, TSimUnit::StepKind::Dropped);  // not taken yet
  unit.TakeFixtureCommands(true);
  const Frame junk = fixture::Command(fixture::kJunk, 9);
  TSimUnit::Step step = FeedAll(unit, junk);
  ASSERT_EQ(step.kind, TSimUnit::StepKind::Fixture);
  EXPECT_EQ(step.request, junk);
  EXPECT_TRUE(step.reply.empty());  // the server sends the junk

  // An echo takes the next n bytes whatever they are, requests and fixture prefixes too.
  ASSERT_EQ(FeedAll(unit, fixture::Command(fixture::kEcho, 3)).kind, TSimUnit::StepKind::Fixture);
  for (const std::uint8_t b : {kReadCommand, fixture::kPrefix, kWriteCommand}) {
    step = unit.Feed(b);
    EXPECT_EQ(step.kind, TSimUnit::StepKind::Echo);
    EXPECT_EQ(step.reply, Frame(1, static_cast<char>(b)));
  }
  EXPECT_EQ(unit.Feed(kReadCommand).kind, TSimUnit::StepKind::Request);
  EXPECT_EQ(unit.Reads(), 1);

  // A command left unfinished is given up like a partial write.
  EXPECT_EQ(unit.Feed(fixture::kPrefix).kind, TSimUnit::StepKind::Pending);
  EXPECT_TRUE(unit.Partial());
  EXPECT_EQ(unit.Abandon(), Frame(1, static_cast<char>(fixture::kPrefix)));
}

TEST(SimUnit, DropsNoiseAndTakesCommandBytesInsideAWriteAsData) {
  TSimUnit unit(DefaultSimBlock());
  EXPECT_EQ(unit.Feed(0x00).kind, TSimUnit::StepKind::Dropped);
  EXPECT_EQ(unit.Feed(0x06).kind, TSimUnit::StepKind::Dropped);
  SettingsBlock withCommands = kNew;
  withCommands[3] = kReadCommand;
  withCommands[4] = kWriteCommand;
  EXPECT_TRUE(FeedAll(unit, WriteRequest(withCommands)).stored);
  EXPECT_EQ(unit.Block(), withCommands);

  // A write cut short is abandoned whole; the next request is served afresh.
  unit.Feed(kWriteCommand);
  unit.Feed(0x01);
  EXPECT_TRUE(unit.Partial());
  EXPECT_EQ(unit.Abandon(), "\xF5\x01");
  EXPECT_EQ(unit.Feed(kReadCommand).kind, TSimUnit::StepKind::Request);
}

TEST(SimUnit, FaultModesShapeTheReply) {
  const Frame good = BlockFrame(kReadCommand, DefaultSimBlock());
  const Frame surplus(kSurplus.begin(), kSurplus.end()), noise(kNoise.begin(), kNoise.end());
  struct Case {
    SimFault fault;
    Frame read;
    bool writeAcked, stored;
  };
  const Case cases[] = {
      {SimFault::Silent, "", false, false},          {SimFault::Short, good.substr(0, 17), false, true},
      {SimFault::Extra, good + surplus, true, true}, {SimFault::Garbage, noise + good, false, true},
      {SimFault::Nak, good, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SimFaultName(c.fault));
    TSimUnit unit(DefaultSimBlock());
    unit.SetFault(c.fault);
    EXPECT_EQ(unit.Feed(kReadCommand).reply, c.read);
    const TSimUnit::Step w = FeedAll(unit, WriteRequest(kNew));
    const Frame judged = w.reply.substr(0, kWriteReplySize);
    EXPECT_EQ(WriteReplyGood(judged), c.writeAcked);
    EXPECT_EQ(w.stored, c.stored);
    EXPECT_EQ(unit.Block() == kNew, c.stored);
  }
  TSimUnit unit(DefaultSimBlock());
  unit.SetFault(SimFault::Badsum);
  const Frame r = unit.Feed(kReadCommand).reply;
  EXPECT_EQ(r.size(), 18u);
  EXPECT_FALSE(ReadReplyGood(r));
}

TEST(SimUnit, HexAndControlCommands) {
  EXPECT_EQ(HexText(Frame("\xE5\x00\x0A", 3)), "E5 00 0A");
  EXPECT_EQ(ParseHex("e5 000a"), Frame("\xE5\x00\x0A", 3));
  EXPECT_EQ(ParseHex("E"), std::nullopt);
  EXPECT_EQ(ParseHex("G0"), std::nullopt);
  EXPECT_EQ(ParseBlockHex(HexText(kNew)), kNew);
  EXPECT_EQ(ParseBlockHex("00"), std::nullopt);

  auto cmd = ParseSimCommand("fault nak");
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->kind, SimCommand::Kind::Fault);
  EXPECT_EQ(cmd->fault, SimFault::Nak);
  cmd = ParseSimCommand("send AA BB\r");
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->bytes, "\xAA\xBB");
  cmd = ParseSimCommand("delay 250");
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->value, 250);
  for (const char* bad : {"fault loud", "delay -1", "block 00", "send", "send ZZ", "reboot", ""}) {
    EXPECT_FALSE(ParseSimCommand(bad)) << bad;
  }
}

}  // namespace
}  // namespace kx71
