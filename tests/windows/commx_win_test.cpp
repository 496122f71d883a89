// The serial port component on the Windows communications API, against the simulated unit that
// Wine maps as COM<kPort>: what only this backend shows (the driver's settings, bytes left from
// before an open) and the registry's port list. What every backend must do is in
// tests/comm/commx_line_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "comm/port_discovery.h"
#include "comm/win/win_dcb.h"
#include "discovery/plain_comm_list.h"
#include "protocol/exchange.h"
#include "windows/wine_fixture.h"

namespace kx71 {
namespace {

using namespace std::chrono_literals;
using wine::CommXOnWine;
using wine::kPort;
using wine::NativeHandle;

TEST_F(CommXOnWine, OpenConfiguresTheDriverAndSettersApplyWhileOpen) {
  ASSERT_NE(comm_.Handle(), INVALID_HANDLE_VALUE_U32);
  const HANDLE h = NativeHandle(comm_);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(h, &dcb));
  // What a pseudo-terminal can hold of the DCB (Wine rebuilds the rest from the terminal settings).
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(comm_.Dcb().Flags, 0x1013u);
  EXPECT_EQ(comm_.Dcb().XonLim, 512);
  EXPECT_EQ(comm_.Dcb().XoffLim, 512);

  COMMTIMEOUTS t{};
  ASSERT_TRUE(GetCommTimeouts(h, &t));
  EXPECT_EQ(t.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 3000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 3000u);

  comm_.SetBitRate(19200);
  comm_.SetFlowCtrl(cfcXonXoff);
  comm_.SetTimeOutReceive(1234);
  ASSERT_TRUE(GetCommState(h, &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.fOutX, 1u);
  EXPECT_EQ(dcb.fInX, 1u);
  EXPECT_EQ(comm_.TransCharTime(), 1);
  ASSERT_TRUE(GetCommTimeouts(h, &t));
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1234u);

  comm_.SetFlowCtrl(cfcNone);
  ASSERT_TRUE(GetCommState(h, &dcb));
  EXPECT_EQ(dcb.fOutX, 0u);
}

// The receive queue count of a handle of our own, which neither configures nor purges the port.
DWORD QueuedOnRawHandle(HANDLE h) {
  DWORD errors = 0;
  COMSTAT stat{};
  return ClearCommError(h, &errors, &stat) ? stat.cbInQue : 0;
}

HANDLE OpenRaw() {
  const std::string name = "\\\\.\\COM" + std::to_string(kPort);
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(CommXOnWine, OpenDiscardsBytesThatCameWhileClosed) {
  comm_.Close();
  // Stage 17 bytes in the receive queue through a plain handle, and close it again.
  HANDLE h = OpenRaw();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const Frame junk = fixture::Command(fixture::kJunk, 17);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr));
  const bool queued = PumpUntil([&] { return QueuedOnRawHandle(h) == 17; });
  CloseHandle(h);
  ASSERT_TRUE(queued);
  // They outlast a close (the unit holds the line open) ...
  h = OpenRaw();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(QueuedOnRawHandle(h), 17u);
  CloseHandle(h);

  // ... and Open discards them.
  ASSERT_TRUE(OpenWithin(5s));
  EXPECT_EQ(comm_.InQueueCount(), 0);
}

TEST_F(CommXOnWine, ExchangesWithTheSimulatedUnit) {
  const std::optional<SettingsBlock> before = ReadBlock(comm_);
  ASSERT_TRUE(before.has_value());

  SettingsBlock changed = *before;
  changed[13] = static_cast<std::uint8_t>(changed[13] == 8 ? 9 : 8);  // the overtake count
  changed[15] = 74;
  EXPECT_TRUE(WriteBlock(comm_, changed));
  EXPECT_EQ(ReadBlock(comm_), changed);

  // A request whose checksum is wrong is refused by the unit (its reply ends in NAK).
  Frame bad = WriteRequest(changed);
  bad.back() = static_cast<char>(bad.back() + 1);
  Frame reply;
  EXPECT_EQ(Transact(comm_, bad, kWriteReplySize, reply), kWriteReplySize);
  EXPECT_FALSE(WriteReplyGood(reply));

  EXPECT_TRUE(WriteBlock(comm_, *before));  // leave the unit as found
}

TEST(PortDiscoveryOnWine, TheRegistryListsTheMappedPort) {
  const std::optional<std::vector<std::string>> names = ListPortNames();
  ASSERT_TRUE(names.has_value());
  const std::string mine = "COM" + std::to_string(kPort);
  // Other ports may be listed too (Wine maps the machine's /dev/ttyS* as well).
  EXPECT_NE(std::find(names->begin(), names->end(), mine), names->end());

  test::PlainCommList list;
  list.items = {"OFF", mine};
  list.selected = 1;
  RefreshCommList(list);
  ASSERT_FALSE(list.items.empty());
  EXPECT_EQ(list.items[0], "OFF");
  EXPECT_EQ(list.SelectedText(), mine);  // still there, so still selected
  for (std::size_t i = 2; i < list.items.size(); ++i)
    EXPECT_LE(ComparePortNumbers(list.items[i - 1], list.items[i]), 0)
        << list.items[i - 1] << " " << list.items[i];
}

}  // namespace
}  // namespace kx71
