// The Windows-only tests' view of the simulated unit's COM port (support/far_end.h).
#pragma once

#include <cstdint>

#include "comm/CommX.h"
#include "comm/win/win_dcb.h"  // <windows.h>
#include "support/far_end.h"

namespace kx71::wine {

inline constexpr int kPort = KX71_WINE_TEST_PORT;

inline HANDLE NativeHandle(const TCustomCommX& comm) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(comm.Handle()));
}

using CommXOnWine = testing::CommXOnFarEnd;

}  // namespace kx71::wine
