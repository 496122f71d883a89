// RTS, DTR and line events through the Windows calls, under Wine with the modem-line shim that
// scripts/test-windows preloads: on the pseudo-terminal it wires RTS to CTS and DTR to DSR like a
// loop-back plug, and logs each change of RTS and DTR with the time.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "protocol/exchange.h"
#include "support/host_log.h"
#include "windows/wine_fixture.h"

namespace kx71 {
namespace {

using wine::THostLog;
using wine::THostLogLine;

DWORD ModemStatus(const TCustomCommX& comm) {
  DWORD status = 0;
  EXPECT_TRUE(GetCommModemStatus(wine::NativeHandle(comm), &status));
  return status;
}

// "RTS 1", "DTR 0", ... from the shim's lines ("<pid> RTS 1"), with their times.
std::vector<THostLogLine> LineChanges(const THostLog& log) {
  std::vector<THostLogLine> changes;
  for (THostLogLine line : log.Lines()) {
    const auto space = line.text.find(' ');
    line.text = space == std::string::npos ? line.text : line.text.substr(space + 1);
    changes.push_back(line);
  }
  return changes;
}

std::vector<std::string> Texts(const std::vector<THostLogLine>& lines) {
  std::vector<std::string> texts;
  for (const THostLogLine& l : lines) texts.push_back(l.text);
  return texts;
}

class ModemLinesOnWine : public testing::CommXOnFarEnd {
 protected:
  void SetUp() override {
    ASSERT_TRUE(THostLog("KX71_MODEM_LOG").Available()) << "run through scripts/test-windows (modem shim)";
    CommXOnFarEnd::SetUp();
  }
};

TEST_F(ModemLinesOnWine, SetRtsAndSetDtrDriveTheLines) {
  comm_.SetRTS(true);
  EXPECT_TRUE(ModemStatus(comm_) & MS_CTS_ON);
  comm_.SetRTS(false);
  EXPECT_FALSE(ModemStatus(comm_) & MS_CTS_ON);
  comm_.SetDTR(true);
  EXPECT_TRUE(ModemStatus(comm_) & MS_DSR_ON);
  comm_.SetDTR(false);
  EXPECT_FALSE(ModemStatus(comm_) & MS_DSR_ON);
}

TEST_F(ModemLinesOnWine, CloseLowersDtrThenRts) {
  comm_.SetDTR(true);
  comm_.SetRTS(true);
  const THostLog log("KX71_MODEM_LOG");
  comm_.Close();
  EXPECT_EQ(Texts(LineChanges(log)), (std::vector<std::string>{"DTR 0", "RTS 0"}));
}

TEST_F(ModemLinesOnWine, HalfDuplexTurnsRtsOnceAroundABatch) {
  struct Case {
    TCommFlowCtrls flow;
    const char* on;
    const char* off;
  };
  for (const Case c : {Case{cfcHalfHigh, "RTS 1", "RTS 0"}, Case{cfcHalfLow, "RTS 0", "RTS 1"}}) {
    SCOPED_TRACE(c.on);
    comm_.SetFlowCtrl(c.flow);
    comm_.SetRTS(c.off[4] == '1');  // start from the idle level
    comm_.SetBufLenTrans(5);        // the frame below goes as three blocks in one batch
    const THostLog modem("KX71_MODEM_LOG");
    const THostLog unitLog("KX71_UNIT_LOG");

    const Frame payload = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C";
    const Frame frame = fixture::Command(fixture::kEcho, static_cast<std::uint8_t>(payload.size())) + payload;
    ASSERT_TRUE(comm_.Write(frame.data(), static_cast<std::int32_t>(frame.size())));
    EXPECT_EQ(ReadFrame(static_cast<int>(payload.size())), payload);
    ASSERT_TRUE(PumpUntil([&] { return LineChanges(modem).size() >= 2; }));

    const std::vector<THostLogLine> changes = LineChanges(modem);
    ASSERT_EQ(Texts(changes), (std::vector<std::string>{c.on, c.off}));
    // The line was turned before the first byte went out: before the unit took the fixture
    // command. (When the unit read the last byte says little of when it was sent, so the turn back
    // is not timed against it.)
    std::string firstRx;
    for (const THostLogLine& l : unitLog.Lines())
      if (firstRx.empty() && l.text.rfind("FIXTURE ", 0) == 0) firstRx = l.at;
    ASSERT_FALSE(firstRx.empty()) << "the unit logged no fixture command";
    EXPECT_LE(changes[0].at, firstRx);
  }
}

TEST_F(ModemLinesOnWine, OtherFlowControlsLeaveRtsAlone) {
  for (const TCommFlowCtrls flow : {cfcNone, cfcDtrDsr, cfcXonXoff}) {
    SCOPED_TRACE(static_cast<int>(flow));
    // cfcDtrDsr hands DTR to the driver; a pseudo-terminal under Wine may refuse that setting.
    try {
      comm_.SetFlowCtrl(flow);
    } catch (const ECommError&) {
      continue;
    }
    const THostLog modem("KX71_MODEM_LOG");
    ASSERT_TRUE(comm_.SendString(ReadRequest()));
    EXPECT_EQ(ReadFrame(kReadReplySize).size(), static_cast<std::size_t>(kReadReplySize));
    EXPECT_TRUE(LineChanges(modem).empty());
  }
}

TEST_F(ModemLinesOnWine, OnReceiveReportsWaitingBytes) {
  std::vector<std::int32_t> sizes;
  comm_.OnReceive = [&](TCustomCommX* sender, std::int32_t n) {
    EXPECT_EQ(sender, &comm_);
    sizes.push_back(n);
  };
  ASSERT_TRUE(comm_.SendString(ReadRequest()));
  // Windows raises EV_RXCHAR once per arrival; Wine keeps raising it while bytes wait. Either way a
  // report comes, with the number of bytes waiting when the main thread handles it.
  ASSERT_TRUE(PumpUntil([&] { return !sizes.empty(); }));
  EXPECT_GE(sizes.front(), 1);
  EXPECT_LE(sizes.front(), kReadReplySize);
  EXPECT_EQ(ReadFrame(kReadReplySize).size(), static_cast<std::size_t>(kReadReplySize));
}

}  // namespace
}  // namespace kx71
