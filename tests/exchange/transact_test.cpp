#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/exchange.h"
#include "scripted_port.h"

namespace kx71 {
namespace {

using Calls = std::vector<std::string>;

const SettingsBlock kBlock = {0x5A, 0x12, 0x34, 0x56, 0x65, 0x43, 0x21, 0x08,
                              0x10, 0x02, 0x20, 0xC0, 0x80, 0x05, 0x03, 0x51};

Frame Bytes(std::initializer_list<int> bytes) {
  Frame f;
  for (int b : bytes) f.push_back(static_cast<char>(b));
  return f;
}

// A unit that answers with the first `keep` bytes of a read reply whose checksum is `sumOffset` off.
std::function<Frame(const Frame&)> Reader(std::size_t keep = kReadReplySize, int sumOffset = 0) {
  return [=](const Frame&) {
    Frame reply = BlockFrame(0x00, kBlock);
    reply.back() = static_cast<char>(reply.back() + sumOffset);
    return reply.substr(0, keep);
  };
}

TEST(Transact, GoodReadPurgesSendsOnceAndReadsTheExpectedCount) {
  TScriptedPort port;
  port.queue = "stale";
  port.unit = Reader();
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(port, request, kReadReplySize, reply), 18);
  EXPECT_EQ(port.calls, (Calls{"purge", "send \xE5", "read 18"}));
  EXPECT_EQ(reply, BlockFrame(0x00, kBlock));  // the stale bytes were discarded, not read
  EXPECT_EQ(request, reply);
  EXPECT_EQ(BlockFromReadReply(reply), kBlock);
  EXPECT_FALSE(port.ExchangeActive());
}

TEST(Transact, IncompleteOrBadRepliesFail) {
  struct Case {
    const char* what;
    std::function<Frame(const Frame&)> unit;
    std::int32_t count;
  };
  const Case cases[] = {
      {"silent", nullptr, 0},
      {"17 bytes", Reader(17), 17},
      {"checksum one off", Reader(kReadReplySize, 1), 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TScriptedPort port;
    port.unit = c.unit;
    Frame request = ReadRequest(), reply = "old";
    EXPECT_EQ(Transact(port, request, kReadReplySize, reply), c.count);
    EXPECT_EQ(request, reply);
    EXPECT_FALSE(ReadReplyGood(reply));
    EXPECT_EQ(BlockFromReadReply(reply), std::nullopt);
    EXPECT_EQ(port.calls.size(), 3u) << "one attempt only";
  }
}

TEST(Transact, WriteRepliesAreJudgedByLengthAndLastByte) {
  const Frame sent = WriteRequest(kBlock);
  struct Case {
    Frame answer;
    bool good;
  };
  const Case cases[] = {
      {sent + Bytes({kAck}), true},
      {sent + Bytes({kNak}), false},
      {sent.substr(1) + Bytes({kAck}), false},  // 18 bytes ending 0x06
  };
  for (const Case& c : cases) {
    TScriptedPort port;
    port.unit = [&](const Frame& f) {
      EXPECT_EQ(f, sent);
      return c.answer;
    };
    Frame request = sent, reply;
    Transact(port, request, kWriteReplySize, reply);
    EXPECT_EQ(WriteReplyGood(reply), c.good) << testing::PrintToString(c.answer);
  }
}

TEST(Transact, SurplusStaysQueuedUntilTheNextExchangePurgesIt) {
  TScriptedPort port;
  port.unit = [](const Frame&) { return BlockFrame(0x00, kBlock) + "xyz"; };
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(port, request, kReadReplySize, reply), 18);
  EXPECT_TRUE(ReadReplyGood(reply));
  EXPECT_EQ(port.queue, "xyz");

  request = ReadRequest();
  Transact(port, request, kReadReplySize, reply);
  EXPECT_EQ(reply, BlockFrame(0x00, kBlock));
  EXPECT_EQ(port.queue, "xyz");  // the second answer's surplus, the first one's purged
}

TEST(Transact, PortClosedDuringTheWaitFails) {
  TScriptedPort port;
  port.unit = Reader();
  port.duringRead = [&] { port.open = false; };
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(port, request, kReadReplySize, reply), -1);
  EXPECT_TRUE(reply.empty());
  EXPECT_TRUE(request.empty());
  EXPECT_FALSE(port.ExchangeActive());
}

TEST(Transact, SecondExchangeDuringTheWaitIsRefusedAndLeavesTheFirstAlone) {
  TScriptedPort port;
  port.unit = Reader();
  std::int32_t nestedCount = 0;
  Frame nestedRequest = ReadRequest(), nestedReply = "old";
  port.duringRead = [&] {
    EXPECT_TRUE(port.ExchangeActive());
    nestedCount = Transact(port, nestedRequest, kReadReplySize, nestedReply);
  };
  Frame request = ReadRequest(), reply;
  EXPECT_EQ(Transact(port, request, kReadReplySize, reply), 18);
  EXPECT_EQ(nestedCount, -1);
  EXPECT_TRUE(nestedRequest.empty());
  EXPECT_TRUE(nestedReply.empty());
  EXPECT_EQ(port.calls, (Calls{"purge", "send \xE5", "read 18"}));  // the nested one touched nothing
  EXPECT_EQ(BlockFromReadReply(reply), kBlock);

  // The port is free again afterwards.
  EXPECT_FALSE(port.ExchangeActive());
  EXPECT_EQ(ReadBlock(port), kBlock);
}

TEST(Transact, ExpectedCountLimits) {
  TScriptedPort port;
  port.unit = [](const Frame&) { return Frame(300, '\x42'); };

  Frame request = ReadRequest(), reply = "old";
  EXPECT_EQ(Transact(port, request, kReplyBufferSize + 1, reply), -1);
  EXPECT_EQ(Transact(port, request = ReadRequest(), -1, reply), -1);
  EXPECT_TRUE(port.calls.empty()) << "refused before anything is sent";
  EXPECT_TRUE(request.empty());
  EXPECT_TRUE(reply.empty());

  request = ReadRequest();
  EXPECT_EQ(Transact(port, request, kReplyBufferSize, reply), kReplyBufferSize);
  EXPECT_EQ(reply, Frame(kReplyBufferSize, '\x42'));

  port.calls.clear();
  request = "\x01\x02";
  reply = "old";
  EXPECT_EQ(Transact(port, request, 0, reply), 0);
  EXPECT_EQ(port.calls, (Calls{"purge", "send \x01\x02"}));
  EXPECT_TRUE(request.empty());
  EXPECT_TRUE(reply.empty());
}

TEST(Transact, RequestAndReplyMayBeTheSameString) {
  TScriptedPort port;
  port.unit = Reader();
  Frame frame = ReadRequest();
  EXPECT_EQ(Transact(port, frame, kReadReplySize, frame), 18);
  EXPECT_EQ(port.calls[1], "send \xE5");
  EXPECT_EQ(frame, BlockFrame(0x00, kBlock));
}

TEST(Frames, RequestsAndReplyJudging) {
  EXPECT_EQ(ReadRequest(), Bytes({0xE5}));
  SettingsBlock ff;
  ff.fill(0xFF);
  EXPECT_EQ(WriteRequest(ff), Bytes({0xF5}) + Frame(16, '\xFF') + Bytes({0xF0}));

  // All-zero block and checksum: good, and it decodes to the editors' limits.
  const Frame zero(kReadReplySize, '\0');
  ASSERT_TRUE(ReadReplyGood(zero));
  const SettingsValues v = DecodeBlock(*BlockFromReadReply(zero));
  EXPECT_FALSE(v.marker5A);
  EXPECT_EQ(v.yourId | v.myId, 0u);
  EXPECT_EQ(v.overtakeCount, 1);
  EXPECT_EQ(v.overtakeTime, 1);
  EXPECT_EQ(v.maxPower, 100);

  // Byte 0 is not examined; bytes 1..16 and 17 are.
  Frame r = BlockFrame(0x77, kBlock);
  EXPECT_TRUE(ReadReplyGood(r));
  r[5] = static_cast<char>(r[5] + 1);
  EXPECT_FALSE(ReadReplyGood(r));
  EXPECT_FALSE(ReadReplyGood(BlockFrame(0, kBlock) + "x"));

  EXPECT_TRUE(WriteReplyGood(Frame(18, '\x15') + Bytes({kAck})));
  EXPECT_FALSE(WriteReplyGood(Frame(19, '\x06') + Bytes({kNak})));
  EXPECT_FALSE(WriteReplyGood(Frame(19, '\x06') + Bytes({kAck})));  // 20 bytes
}

}  // namespace
}  // namespace kx71
