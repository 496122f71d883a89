// The transmit worker's half-duplex RTS turn-around, observed on the fake line with times.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "support/comm_test_util.h"
#include "support/fake_serial_device.h"

namespace kx71::testing {
namespace {

using namespace std::chrono_literals;

class HalfDuplex : public ::testing::Test {
 protected:
  void OpenWith(TCommFlowCtrls flow) {
    c = std::make_unique<TCommX>(main, TCommXEnvironment{TFakeLine::Factory(line), pauses.Hook()});
    c->SetFlowCtrl(flow);
    c->SetBufLenTrans(4);
    c->Open();  // 9600 bit/s: CharTime 2 ms
  }

  // Sends three blocks in one Write and waits until the worker has finished the batch. Writes are
  // held until Write has returned, so all three blocks are queued before the first write ends,
  // however the threads are scheduled.
  void SendBatch(std::size_t turnsBefore) {
    line->StallWrites(true);
    sent = TFakeClock::now();
    ASSERT_TRUE(c->SendString("aaaabbbbcccc"));
    line->StallWrites(false);
    ASSERT_TRUE(line->WaitUntil([&] { return line->LineChanges().size() == turnsBefore + 2; }));
  }

  TPlainMainThread main;
  std::shared_ptr<TFakeLine> line = std::make_shared<TFakeLine>();
  TPauseLog pauses;
  std::unique_ptr<TCommX> c;
  TFakeClock::time_point sent;
};

// A batch on a line whose bytes take `transmit` to leave after the write (negative: never, so the
// write time-out bounds the wait); RTS goes back only once they have left, and one character later.
struct TurnCase {
  TCommFlowCtrls flow;
  TEscape on, off;
  bool rtsAfter;
  int transmitMs;
  int expectedHoldMs;  // from the end of the last write to the turn back, at least
};

class HalfDuplexTurn : public HalfDuplex, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(HalfDuplexTurn, RtsTurnsOnceAroundABatchAndBackAfterItHasLeftTheLine) {
  const TurnCase& t = GetParam();
  line->TransmitTakes(std::chrono::milliseconds(t.transmitMs));
  OpenWith(t.flow);
  c->SetTimeOutTrans(150);
  SendBatch(0);
  const auto changes = line->LineChanges();
  const auto writes = line->Writes();
  ASSERT_EQ(changes.size(), 2u);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(line->Written(), "aaaabbbbcccc");
  EXPECT_EQ(changes[0].fn, t.on);
  EXPECT_EQ(changes[1].fn, t.off);
  EXPECT_GE(changes[0].at - sent, 50ms);            // the turn delay before the line is turned
  EXPECT_GE(writes[0].begun - changes[0].at, 2ms);  // one character time before the first write
  EXPECT_GE(changes[1].at - writes[2].ended, std::chrono::milliseconds(t.expectedHoldMs));
  EXPECT_EQ(line->Rts(), t.rtsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    FlowAndLine, HalfDuplexTurn,
    ::testing::Values(TurnCase{cfcHalfHigh, TEscape::SetRts, TEscape::ClrRts, false, 0, 2},
                      TurnCase{cfcHalfLow, TEscape::ClrRts, TEscape::SetRts, true, 0, 2},
                      TurnCase{cfcHalfHigh, TEscape::SetRts, TEscape::ClrRts, false, 60, 62},
                      TurnCase{cfcHalfLow, TEscape::ClrRts, TEscape::SetRts, true, 60, 62},
                      TurnCase{cfcHalfHigh, TEscape::SetRts, TEscape::ClrRts, false, -1, 152}));

TEST_F(HalfDuplex, EachBatchTurnsTheLineAgain) {
  OpenWith(cfcHalfHigh);
  SendBatch(0);
  SendBatch(2);
  const auto changes = line->LineChanges();
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_EQ(changes[2].fn, TEscape::SetRts);
  EXPECT_EQ(changes[3].fn, TEscape::ClrRts);
  EXPECT_GE(changes[3].at - line->Writes().back().ended, 2ms);
}

TEST_F(HalfDuplex, OtherFlowControlsNeverTouchRts) {
  for (TCommFlowCtrls flow : {cfcNone, cfcRtsCts, cfcDtrDsr, cfcXonXoff}) {
    line = std::make_shared<TFakeLine>();
    OpenWith(flow);
    ASSERT_TRUE(c->SendString("aaaabbbbcccc"));
    ASSERT_TRUE(line->WaitUntil([&] { return c->PendingBytes() == 0; }));
    EXPECT_EQ(line->Written(), "aaaabbbbcccc");
    EXPECT_TRUE(line->LineChanges().empty()) << flow;
    c.reset();
  }
}

}  // namespace
}  // namespace kx71::testing
