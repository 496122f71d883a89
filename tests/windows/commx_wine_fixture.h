// A component on the peer's COM port, opened for each test, with waits that pump its main thread.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "windows/wine_port.h"

namespace kx71::wine {

using namespace std::chrono_literals;

inline HANDLE NativeHandle(const TCustomCommX& comm) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(comm.Handle()));
}

class CommXOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    comm_.SetPortNo(kPort);
    comm_.SetFlowCtrl(cfcNone);  // as the window's instance
    // A test before this one may have hung the peer up; it offers a new line shortly after.
    ASSERT_TRUE(OpenWithin(10s)) << "COM" << kPort
                                 << " does not open: is scripts/test-windows' peer running?";
  }

  bool OpenWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      try {
        comm_.Open();
        return true;
      } catch (const ECommError&) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(50);
      }
    }
  }

  bool PumpUntil(const std::function<bool()>& pred) { return wine::PumpUntil(main_, pred); }

  // Waits until every queued block has been handed to the driver.
  bool Sent() {
    return PumpUntil([&] { return comm_.PendingBytes() == 0 && comm_.PendingBlocks() == 0; });
  }

  Frame ReadFrame(int count) {
    std::array<char, 512> buffer{};
    const std::int32_t n = comm_.Read(buffer.data(), count);
    return n > 0 ? Frame(buffer.data(), static_cast<std::size_t>(n)) : Frame();
  }

  TPlainMainThread main_;
  TCommX comm_{main_};
};

}  // namespace kx71::wine
