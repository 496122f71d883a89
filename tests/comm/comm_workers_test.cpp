// The transmit worker's half-duplex RTS turn-around, observed on the fake line with times.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "comm_test_util.h"
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
    ASSERT_TRUE(line->WaitFor([&] { return line->LineChanges().size() == turnsBefore + 2; }));
  }

  TPlainMainThread main;
  std::shared_ptr<TFakeLine> line = std::make_shared<TFakeLine>();
  TPauseLog pauses;
  std::unique_ptr<TCommX> c;
  TFakeClock::time_point sent;
};

void ExpectOneTurnAroundTheBatch(TFakeLine& line, TFakeClock::time_point sent, TEscape on, TEscape off) {
  const auto changes = line.LineChanges();
  const auto writes = line.Writes();
  ASSERT_EQ(changes.size(), 2u);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(line.Written(), "aaaabbbbcccc");
  EXPECT_EQ(changes[0].fn, on);
  EXPECT_EQ(changes[1].fn, off);
  EXPECT_GE(changes[0].at - sent, 50ms);            // the turn delay before the line is turned
  EXPECT_GE(writes[0].begun - changes[0].at, 2ms);  // one character time before the first write
  EXPECT_GE(changes[1].at - writes[2].ended, 2ms);  // and after the last one has completed
}

TEST_F(HalfDuplex, HighRaisesRtsOnceAroundABatch) {
  OpenWith(cfcHalfHigh);
  SendBatch(0);
  ExpectOneTurnAroundTheBatch(*line, sent, TEscape::SetRts, TEscape::ClrRts);
  EXPECT_FALSE(line->Rts());
}

TEST_F(HalfDuplex, LowLowersRtsOnceAroundABatch) {
  OpenWith(cfcHalfLow);
  SendBatch(0);
  ExpectOneTurnAroundTheBatch(*line, sent, TEscape::ClrRts, TEscape::SetRts);
  EXPECT_TRUE(line->Rts());
}

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
    ASSERT_TRUE(line->WaitFor([&] { return c->PendingBytes() == 0; }));
    EXPECT_EQ(line->Written(), "aaaabbbbcccc");
    EXPECT_TRUE(line->LineChanges().empty()) << flow;
    c.reset();
  }
}

}  // namespace
}  // namespace kx71::testing
