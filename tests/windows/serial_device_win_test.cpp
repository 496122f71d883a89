// The Windows device layer beneath the component, on the simulated unit's COM port: what the component cannot
// show from outside (a wake-up of the line-event wait, releasing a read the driver still holds).
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <future>
#include <memory>

#include "comm/serial_device.h"
#include "windows/wine_fixture.h"

namespace kx71 {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<TSerialDevice> OpenUnitPort() {
  // A test before may have hung the unit up: it offers a new line shortly after.
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (auto device = OpenSerialDevice(wine::kPort)) return device;
    Sleep(50);
  }
  return nullptr;
}

TEST(WinSerialDevice, OnlyNumberedPortsThatExistOpen) {
  EXPECT_EQ(OpenSerialDevice(0), nullptr);
  EXPECT_EQ(OpenSerialDevice(-3), nullptr);
  EXPECT_EQ(OpenSerialDevice(4321), nullptr);
  auto device = OpenUnitPort();
  ASSERT_NE(device, nullptr);
  EXPECT_NE(device->NativeHandle(), 0xFFFFFFFFu);
}

TEST(WinSerialDevice, WakeEndsTheLineEventWait) {
  auto device = OpenUnitPort();
  ASSERT_NE(device, nullptr);
  device->SetEventMask(kEvRxChar | kEvBreak | kEvErr);
  auto waited = std::async(std::launch::async, [&] { return device->WaitEvent(); });
  // Whether the wait is still armed in the driver or pausing after a refused wait (Wine refuses
  // waits on a pseudo-terminal), a wake-up ends it with no event.
  Sleep(50);
  device->WakeEventWait();
  ASSERT_EQ(waited.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(waited.get(), 0u);
  device->SetEventMask(0);
}

TEST(WinSerialDevice, ClosingReleasesAReadInProgress) {
  auto device = OpenUnitPort();
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->SetTimeouts(60000, 3000));
  device->Purge(kPurgeRxAbort | kPurgeRxClear);
  auto buffer = std::make_unique<std::array<char, 64>>();
  const TIoResult begun = device->BeginRead(buffer->data(), 64);
  ASSERT_EQ(begun.state, TIoState::Pending);
  EXPECT_EQ(device->PollRead(10).state, TIoState::Pending);
  // Closing must cancel the read and wait until the driver lets go of its record and buffer, not
  // wait out the minute (nor leave the driver writing into freed memory).
  auto closed = std::async(std::launch::async, [&] { device.reset(); });
  EXPECT_EQ(closed.wait_for(20s), std::future_status::ready);
}

TEST(WinSerialDevice, ReceivePurgeAbortsAReadInProgress) {
  auto device = OpenUnitPort();
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(device->SetTimeouts(60000, 3000));
  std::array<char, 64> buffer{};
  ASSERT_EQ(device->BeginRead(buffer.data(), 64).state, TIoState::Pending);
  device->Purge(kPurgeRxAbort | kPurgeRxClear);
  TIoResult r;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  do r = device->PollRead(10);
  while (r.state == TIoState::Pending && std::chrono::steady_clock::now() < deadline);
  EXPECT_EQ(r.state, TIoState::Failed);  // aborted, not run into its time-out
  EXPECT_EQ(r.bytes, 0);
}

}  // namespace
}  // namespace kx71
