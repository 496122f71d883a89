// The component over the fake line: driver settings, queued writes, purges, failures and events.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "comm/serial_device.h"
#include "support/comm_test_util.h"
#include "support/fake_serial_device.h"

namespace kx71::testing {
namespace {

using namespace std::chrono_literals;

class FakeComm : public ::testing::Test {
 protected:
  std::unique_ptr<TCommX> Make() {
    return std::make_unique<TCommX>(main, TCommXEnvironment{TFakeLine::Factory(line), pauses.Hook()});
  }

  TCountingMainThread main;
  std::shared_ptr<TFakeLine> line = std::make_shared<TFakeLine>();
  TPauseLog pauses;
};

std::string Pattern(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(i * 7 + i / 256));
  return s;
}

TEST_F(FakeComm, OpenAppliesEverySettingToTheDriver) {
  auto c = Make();
  EXPECT_EQ(c->PortNo(), 1);
  EXPECT_EQ(c->FlowCtrl(), cfcRtsCts);
  EXPECT_EQ(c->Dcb().DCBlength, 28u);
  c->Open();
  const TCommDcb d = line->State();
  EXPECT_EQ(d.BaudRate, 9600u);
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.Parity, 0);
  EXPECT_EQ(d.StopBits, 0);
  EXPECT_EQ(d.Flags, 0x2017u);
  EXPECT_EQ(d.XonLim, 512);
  EXPECT_EQ(d.XoffLim, 512);
  EXPECT_EQ(d.XonChar, 0x11);
  EXPECT_EQ(d.XoffChar, 0x13);
  EXPECT_EQ(c->Dcb(), d);
  EXPECT_EQ(line->QueueIn(), 2048);
  EXPECT_EQ(line->QueueOut(), 2048);
  EXPECT_EQ(line->ReadTimeout(), 3000);
  EXPECT_EQ(line->WriteTimeout(), 3000);
  EXPECT_EQ(line->EventMask(), 0xC1u);
  const auto purges = line->Purges();
  ASSERT_GE(purges.size(), 2u);
  EXPECT_EQ(purges[0], 0x05u);
  EXPECT_EQ(purges[1], 0x0Au);
  EXPECT_EQ(c->TransCharTime(), 2);
}

TEST_F(FakeComm, SettersApplyAtOnceWhileOpen) {
  auto c = Make();
  c->SetBitRate(4800);  // closed: stored only
  EXPECT_EQ(line->Opens(), 0);
  c->Open();
  EXPECT_EQ(line->State().BaudRate, 4800u);

  c->SetBitRate(19200);
  EXPECT_EQ(line->State().BaudRate, 19200u);
  EXPECT_EQ(c->TransCharTime(), 1);  // 1000 div 1920 + 1
  c->SetBitRate(300);
  EXPECT_EQ(c->TransCharTime(), 34);
  c->SetCharSize(7);
  EXPECT_EQ(line->State().ByteSize, 7);
  c->SetParityBit(cpbEven);
  EXPECT_EQ(line->State().Parity, 2);
  c->SetStopBit(csb2);
  EXPECT_EQ(line->State().StopBits, 2);
  c->SetFlowCtrl(cfcHalfLow);
  EXPECT_EQ(line->State().Flags, 0x1013u);
  c->SetFlowCtrl(cfcXonXoff);
  EXPECT_EQ(line->State().Flags, 0x1313u);
  c->SetFlowCtrl(cfcNone);
  EXPECT_EQ(line->State().Flags, 0x1013u);
  c->SetFlowCtrl(cfcHalfHigh);
  EXPECT_EQ(line->State().Flags, 0x0013u);
  c->SetBufLenReceive(4096);
  EXPECT_EQ(line->QueueIn(), 4096);
  EXPECT_EQ(line->State().XonLim, 1024);
  EXPECT_EQ(line->State().XoffLim, 1024);
  c->SetBufLenTrans(100);
  EXPECT_EQ(line->QueueOut(), 100);
  c->SetTimeOutReceive(1234);
  c->SetTimeOutTrans(4321);
  EXPECT_EQ(line->ReadTimeout(), 1234);
  EXPECT_EQ(line->WriteTimeout(), 4321);
  c->SetXonChar('A');
  c->SetXoffChar('B');
  EXPECT_EQ(line->State().XonChar, 'A');
  EXPECT_EQ(line->State().XoffChar, 'B');
}

TEST_F(FakeComm, ARefusedSettingRaisesItsMessageAndKeepsTheValue) {
  auto c = Make();
  c->Open();
  const TCommDcb before = line->State();
  // The driver takes only the block as it was opened.
  line->AcceptState([before](const TCommDcb& d) { return d == before; });
  struct Case {
    std::function<void()> set;
    const char* message;
  };
  const Case cases[] = {
      {[&] { c->SetBitRate(12345); }, "通信速度の設定でエラーが発生しました"},
      {[&] { c->SetCharSize(6); }, "通信ビット数の設定でエラーが発生しました"},
      {[&] { c->SetParityBit(cpbOdd); }, "通信パリティチェックの設定でエラーが発生しました"},
      {[&] { c->SetStopBit(csb2); }, "通信ストップビット数の設定でエラーが発生しました"},
      {[&] { c->SetFlowCtrl(cfcXonXoff); }, "通信フロー制御の設定で失敗しました"},
      {[&] { c->SetXonChar('x'); }, "Ｘｏｎ文字の設定でエラーが発生しました"},
      {[&] { c->SetXoffChar('y'); }, "Ｘｏｆｆ文字の設定でエラーが発生しました"},
      {[&] { c->SetBufLenReceive(64); }, "通信フロー制御の設定で失敗しました"},
  };
  for (const Case& k : cases) {
    try {
      k.set();
      ADD_FAILURE() << "no failure for " << k.message;
    } catch (const ECommError& e) {
      EXPECT_STREQ(e.what(), k.message);
    }
    EXPECT_EQ(c->Dcb(), before) << k.message;  // the block still says what the driver holds
  }
  EXPECT_EQ(c->BitRate(), 12345);
  EXPECT_EQ(c->CharSize(), 6);
  EXPECT_EQ(c->ParityBit(), cpbOdd);
  EXPECT_EQ(c->XoffChar(), 'y');
  EXPECT_EQ(c->BufLenReceive(), 64);
  EXPECT_TRUE(c->IsOpen());

  line->FailTimeouts(true);
  try {
    c->SetTimeOutReceive(5);
    ADD_FAILURE();
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "通信タイムアウト時間の設定で失敗しました");
  }
  line->FailQueueSizes(true);
  try {
    c->SetBufLenTrans(10);
    ADD_FAILURE();
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "通信用ポートのバッファを準備できませんでした");
  }
}

TEST_F(FakeComm, AFailedOpenLeavesThePortClosedAndReleased) {
  struct Case {
    std::function<void()> arrange;
    const char* message;
  };
  const Case cases[] = {
      {[&] { line->FailOpen(true); }, "ポートをオープンできませんでした"},
      {[&] { line->FailQueueSizes(true); }, "通信用ポートのバッファを準備できませんでした"},
      {[&] { line->AcceptState([](const TCommDcb& d) { return d.Parity == 0; }); },
       "通信パリティチェックの設定でエラーが発生しました"},
      {[&] { line->FailTimeouts(true); }, "通信タイムアウト時間の設定で失敗しました"},
  };
  for (const Case& k : cases) {
    line = std::make_shared<TFakeLine>();
    auto c = Make();
    c->SetParityBit(cpbEven);
    k.arrange();
    try {
      c->Open();
      ADD_FAILURE() << "opened despite " << k.message;
    } catch (const ECommError& e) {
      EXPECT_STREQ(e.what(), k.message);
    }
    EXPECT_FALSE(c->IsOpen());
    EXPECT_EQ(c->Handle(), INVALID_HANDLE_VALUE_U32);
    EXPECT_EQ(line->OpenDevices(), 0) << k.message;
  }

  // Below 10 bit/s there is no character time: the transmit worker cannot be made.
  line = std::make_shared<TFakeLine>();
  auto c = Make();
  c->SetBitRate(5);
  try {
    c->Open();
    ADD_FAILURE();
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "送信用スレッドを生成できませんでした");
  }
  EXPECT_FALSE(c->IsOpen());
  EXPECT_EQ(line->OpenDevices(), 0);
  c->SetBitRate(9600);
  EXPECT_NO_THROW(c->Open());
}

TEST_F(FakeComm, WriteCutsDataIntoBlocksAndCountsThemUntilWritten) {
  auto c = Make();
  c->Open();
  line->StallWrites(true);
  const std::string data = Pattern(5000);
  EXPECT_TRUE(c->Write(data.data(), 5000));
  EXPECT_EQ(c->PendingBytes(), 5000);
  EXPECT_EQ(c->PendingBlocks(), 3);
  line->StallWrites(false);
  ASSERT_TRUE(line->WaitUntil([&] { return c->PendingBytes() == 0; }));
  EXPECT_EQ(c->PendingBlocks(), 0);
  std::vector<std::int32_t> sizes;
  for (const TFakeWrite& w : line->Writes()) sizes.push_back(w.requested);
  EXPECT_EQ(sizes, (std::vector<std::int32_t>{2048, 2048, 904}));
  EXPECT_EQ(line->Written(), data);
}

TEST_F(FakeComm, WriteWaitsWhile32BlocksAreQueuedAndKeepsTheMainThreadServed) {
  auto c = Make();
  c->SetBufLenTrans(1);
  c->Open();
  line->StallWrites(true);
  std::int32_t blocksSeenByHandler = -1;
  // Runs only once Write pumps messages, i.e. when the queue is full.
  main.Post([&] {
    blocksSeenByHandler = c->PendingBlocks();
    line->StallWrites(false);
  });
  const std::string data = Pattern(100);
  EXPECT_TRUE(c->Write(data.data(), 100));
  EXPECT_EQ(blocksSeenByHandler, 32);
  ASSERT_TRUE(line->WaitUntil([&] { return line->Written().size() == 100; }));
  EXPECT_EQ(line->Written(), data);
}

TEST_F(FakeComm, WriteRefusesWhatItCannotQueue) {
  auto c = Make();
  EXPECT_TRUE(c->Write("x", 0));  // nothing to queue, even closed
  EXPECT_FALSE(c->Write("x", 1));
  EXPECT_TRUE(c->SendString(""));
  c->Open();
  EXPECT_FALSE(c->Write("x", -1));
  EXPECT_FALSE(c->Write(nullptr, 1));
  c->SetBufLenTrans(0);  // no block size: refused instead of looping
  EXPECT_FALSE(c->Write("abc", 3));
  EXPECT_EQ(c->PendingBytes(), 0);
  EXPECT_EQ(c->PendingBlocks(), 0);
  EXPECT_TRUE(c->SendString(""));
  c->SetBufLenTrans(2);
  EXPECT_TRUE(c->SendString("abc"));
  ASSERT_TRUE(line->WaitUntil([&] { return line->Written() == "abc"; }));
}

TEST_F(FakeComm, PurgeTransDiscardsQueuedAndStalledBlocks) {
  auto c = Make();
  c->SetBufLenTrans(4);
  c->Open();
  line->StallWrites(true);
  EXPECT_TRUE(c->SendString("aaaabbbbcccc"));
  ASSERT_TRUE(line->WaitUntil([&] { return c->PendingBlocks() == 3; }));
  c->PurgeTrans();
  EXPECT_EQ(c->PendingBytes(), 0);
  EXPECT_EQ(c->PendingBlocks(), 0);
  EXPECT_EQ(line->Written(), "");
  line->StallWrites(false);
  EXPECT_TRUE(c->SendString("ok"));  // the purge is over: blocks are written again
  ASSERT_TRUE(line->WaitUntil([&] { return line->Written() == "ok"; }));
}

TEST_F(FakeComm, WriteFailuresAreReportedAndTheWorkerGoesOn) {
  auto c = Make();
  c->SetBufLenTrans(10);
  std::vector<std::int32_t> errors;
  c->OnError = [&](TCustomCommX*, std::int32_t e) { errors.push_back(e); };
  c->Open();

  line->FailNextWrites(1, kCeFrame);
  EXPECT_TRUE(c->SendString("lostlost10kept"));  // the first block fails whole, the next is written
  ASSERT_TRUE(PumpUntil(main, [&] { return !errors.empty() && line->Written() == "kept"; }));
  EXPECT_EQ(errors, (std::vector<std::int32_t>{kCeFrame}));

  line->ShortNextWrite(3, kCeOverrun);
  EXPECT_TRUE(c->SendString("0123456789"));  // the rest follows the short write
  ASSERT_TRUE(PumpUntil(main, [&] { return errors.size() == 2 && line->Written() == "kept0123456789"; }));
  EXPECT_EQ(errors.back(), kCeOverrun);

  // A device that fails every write makes no progress: each block ends after one attempt.
  line->FailNextWrites(1000, 0);
  EXPECT_TRUE(c->SendString(std::string(25, 'z')));
  ASSERT_TRUE(line->WaitUntil([&] { return c->PendingBytes() == 0; }));
  EXPECT_EQ(line->Writes().size(), 2u + 2u + 3u);
}

TEST_F(FakeComm, EventsRunOnTheMainThreadInTheOrderErrorsBreakReceive) {
  auto c = Make();
  std::vector<std::string> seen;
  std::atomic<bool> offMain{false};
  const auto mainId = std::this_thread::get_id();
  auto check = [&] {
    if (std::this_thread::get_id() != mainId) offMain = true;
  };
  c->OnError = [&](TCustomCommX*, std::int32_t e) {
    check();
    seen.push_back("error " + std::to_string(e));
  };
  c->OnBreak = [&](TCustomCommX*) {
    check();
    seen.push_back("break");
  };
  c->OnReceive = [&](TCustomCommX*, std::int32_t n) {
    check();
    seen.push_back("receive " + std::to_string(n));
  };
  c->Open();
  line->Event(kCeFrame | kCeRxParity | kCeBreak, true, "xy");
  ASSERT_TRUE(PumpUntil(main, [&] { return seen.size() == 3; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"error 12", "break", "receive 2"}));
  EXPECT_FALSE(offMain);
}

TEST_F(FakeComm, NoReceiveEventForAQueueEmptiedBeforeTheReportIsHandled) {
  auto c = Make();
  int received = 0;
  c->OnReceive = [&](TCustomCommX*, std::int32_t) { ++received; };
  c->Open();
  line->Deliver("abc");
  ASSERT_TRUE(line->WaitUntil([&] { return main.posted.load() == 1; }));
  c->PurgeReceive();
  main.ProcessMessages();
  EXPECT_EQ(received, 0);
}

TEST_F(FakeComm, NoEventAfterCloseEvenForReportsOnTheirWay) {
  auto c = Make();
  int events = 0;
  c->OnReceive = [&](TCustomCommX*, std::int32_t) { ++events; };
  c->OnError = [&](TCustomCommX*, std::int32_t) { ++events; };
  c->Open();
  line->Event(kCeOverrun, false, "abc");
  // The receive worker waits for the main thread, which closes without processing messages.
  ASSERT_TRUE(line->WaitUntil([&] { return main.posted.load() == 1; }));
  c->Close();
  main.ProcessMessages();
  EXPECT_EQ(events, 0);

  // Nor in a later opening: the report belongs to the one that ended.
  c->Open();
  line->Event(kCeOverrun, false, "abc");
  ASSERT_TRUE(line->WaitUntil([&] { return main.posted.load() == 2; }));
  c->Close();
  c->Open();
  main.ProcessMessages();
  EXPECT_EQ(events, 0);
  EXPECT_FALSE(line->UsedAfterClose());
}

TEST_F(FakeComm, ReportsArrivingAfterTheComponentIsGoneDoNothing) {
  int events = 0;
  {
    auto c = Make();
    c->OnReceive = [&](TCustomCommX*, std::int32_t) { ++events; };
    c->Open();
    line->Deliver("abc");
    ASSERT_TRUE(line->WaitUntil([&] { return main.posted.load() == 1; }));
  }
  main.ProcessMessages();
  EXPECT_EQ(events, 0);
  EXPECT_EQ(line->OpenDevices(), 0);
}

TEST_F(FakeComm, AnEventHandlerMayCloseOrDestroyTheComponent) {
  // The receive worker waits for the very report whose handler closes the port.
  auto c = Make();
  c->OnReceive = [](TCustomCommX* sender, std::int32_t) { sender->Close(); };
  c->Open();
  line->Deliver("a");
  ASSERT_TRUE(PumpUntil(main, [&] { return !c->IsOpen(); }));

  c->Open();
  c->OnError = [&](TCustomCommX*, std::int32_t) { c.reset(); };
  c->OnReceive = [](TCustomCommX*, std::int32_t) { ADD_FAILURE() << "event after destruction"; };
  line->Event(kCeFrame, false, "b");
  ASSERT_TRUE(PumpUntil(main, [&] { return c == nullptr; }));
  PumpFor(main, 50ms);
  EXPECT_EQ(line->OpenDevices(), 0);
}

TEST_F(FakeComm, CloseLowersDtrAndRtsThenReleasesTheDevice) {
  auto c = Make();
  c->SetFlowCtrl(cfcNone);
  c->Open();
  c->SetDTR(true);
  c->SetRTS(true);
  EXPECT_TRUE(line->Dtr());
  EXPECT_TRUE(line->Rts());
  c->Close();
  EXPECT_FALSE(line->Dtr());
  EXPECT_FALSE(line->Rts());
  const auto changes = line->LineChanges();
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_EQ(changes[2].fn, TEscape::ClrDtr);
  EXPECT_EQ(changes[3].fn, TEscape::ClrRts);
  EXPECT_EQ(line->OpenDevices(), 0);
  c->SetRTS(true);  // closed: no effect
  EXPECT_EQ(line->LineChanges().size(), 4u);
  EXPECT_EQ(c->InQueueCount(), 0);
}

TEST_F(FakeComm, ManyCyclesWithTrafficNeverTouchAClosedDevice) {
  auto c = Make();
  int received = 0;
  c->OnReceive = [&](TCustomCommX*, std::int32_t) { ++received; };
  for (int i = 0; i < 30; ++i) {
    c->Open();
    line->StallWrites(i % 3 == 0);
    EXPECT_TRUE(c->SendString("ping"));
    line->Event(i % 2 ? kCeFrame : 0, i % 5 == 0, "pong");
    if (i % 4 == 0) main.ProcessMessages();
    c->Close();
    line->StallWrites(false);
  }
  main.ProcessMessages();
  EXPECT_FALSE(line->UsedAfterClose());
  EXPECT_EQ(line->OpenDevices(), 0);
  EXPECT_EQ(line->Opens(), 30);
}

}  // namespace
}  // namespace kx71::testing
