// What the component must do on every backend, against the simulated unit as the far end of the
// line: a pseudo-terminal on POSIX, a COM port under Wine (support/far_end.h). Assertions hold for
// Windows' documented behaviour; where Wine 8 behaves otherwise both outcomes are accepted and the
// comment says so.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "comm/CommX.h"
#include "protocol/exchange.h"
#include "support/far_end.h"

namespace kx71::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Line = CommXOnFarEnd;

TEST_F(Line, OpeningTwiceOrAMissingPortRaises) {
  const std::uint32_t handle = comm_.Handle();
  try {
    comm_.Open();
    FAIL() << "a second Open succeeded";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "ポートは、すでにオープンされています");
  }
  EXPECT_EQ(comm_.Handle(), handle);  // the open port is left as it was

  TCommX other(main_);
  other.SetPortNo(4321);  // mapped to nothing
  try {
    other.Open();
    FAIL() << "COM4321 opened";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "ポートをオープンできませんでした");
  }
  EXPECT_EQ(other.Handle(), INVALID_HANDLE_VALUE_U32);
}

TEST_F(Line, WritesARequestAndReadsTheWholeReply) {
  ASSERT_TRUE(comm_.SendString(ReadRequest()));
  const Frame reply = ReadFrame(kReadReplySize);
  ASSERT_EQ(reply.size(), static_cast<std::size_t>(kReadReplySize));
  EXPECT_EQ(static_cast<std::uint8_t>(reply[0]), kReadCommand);
  EXPECT_TRUE(ReadReplyGood(reply));

  // A reply that comes in two parts 300 ms apart still ends one read: the read was started on an
  // empty queue, so it waits for all requested bytes or the total time-out.
  ASSERT_TRUE(comm_.SendString(fixture::Command(fixture::kSplit, 30) + ReadRequest()));
  EXPECT_EQ(ReadFrame(kReadReplySize), reply);
  // It did come in two parts (the unit logs each part once it is out).
  EXPECT_TRUE(WaitUntil([&] { return LogLines(*far_, "TX").size() == 3; }));
}

TEST_F(Line, EveryByteValuePassesUnchangedInBothDirections) {
  comm_.SetBufLenTrans(48);  // several blocks per write, written in order
  for (int half = 0; half < 2; ++half) {
    Frame bytes;
    for (int i = 0; i < 128; ++i) bytes.push_back(static_cast<char>(half * 128 + i));
    ASSERT_TRUE(Stage(fixture::kEcho, 128));
    ASSERT_TRUE(comm_.Write(bytes.data(), static_cast<std::int32_t>(bytes.size())));
    EXPECT_EQ(ReadFrame(128), bytes) << "half " << half;
  }
  // Nothing more: the line itself echoes nothing back to the unit, which would answer what it took
  // for requests.
  PumpFor(main_, 300ms);
  EXPECT_EQ(comm_.InQueueCount(), 0);
}

TEST_F(Line, ReadTimeOutIsNoFailure) {
  comm_.SetTimeOutReceive(500);
  std::array<char, kReadReplySize> buffer{};
  const auto start = Clock::now();
  // Windows completes a timed-out read with success and 0 bytes; Wine 8 with ERROR_TIMEOUT. The
  // component reads both as "0 bytes arrived".
  EXPECT_EQ(comm_.Read(buffer.data(), kReadReplySize), 0);
  EXPECT_GE(Clock::now() - start, 400ms);  // it waited for the time-out, it did not fail at once

  // Fewer bytes than asked for: those that came.
  ASSERT_TRUE(Stage(fixture::kJunk, 5));
  ASSERT_TRUE(PumpUntil([&] { return comm_.InQueueCount() == 5; }));
  EXPECT_EQ(ReadFrame(kReadReplySize), fixture::Junk(5));
}

TEST_F(Line, PurgeReceiveDiscardsStaleBytes) {
  ASSERT_TRUE(Stage(fixture::kJunk, 17));
  ASSERT_TRUE(PumpUntil([&] { return comm_.InQueueCount() == 17; }));
  comm_.PurgeReceive();
  EXPECT_EQ(comm_.InQueueCount(), 0);
  // The next exchange sees the unit's reply, none of the junk.
  EXPECT_TRUE(ReadBlock(comm_).has_value());
}

TEST_F(Line, FarEndHangingUpFailsTheReadAndTheComponentRecovers) {
  // The unit closes the line and offers a new one a second later.
  ASSERT_TRUE(Stage(fixture::kHangUp, 100));
  ASSERT_TRUE(Sent());
  std::array<char, kReadReplySize> buffer{};
  // Wine fails the read with ERROR_BROKEN_PIPE; on Windows a device that has gone fails it too.
  EXPECT_EQ(comm_.Read(buffer.data(), kReadReplySize), -1);
  EXPECT_EQ(comm_.InQueueCount(), 0);

  // The transmit worker survives a failing write and goes on with the next block.
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(comm_.SendString(ReadRequest()));
    ASSERT_TRUE(Sent());
  }

  comm_.Close();
  EXPECT_EQ(comm_.Handle(), INVALID_HANDLE_VALUE_U32);
  ASSERT_TRUE(OpenWithin(10s));
  EXPECT_TRUE(ReadBlock(comm_).has_value());
}

}  // namespace
}  // namespace kx71::testing
