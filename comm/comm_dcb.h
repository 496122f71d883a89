// The line settings the component keeps for its port, laid out as the Windows device control block
// (field meanings and flag bits as there), so every platform layer reads one description of the line.
#pragma once

#include <cstdint>

#include "comm/comm_enums.h"

namespace kx71 {

// Bits of TCommDcb::Flags, where the Windows block keeps its bit fields.
inline constexpr std::uint32_t kDcbBinary = 1u << 0;
inline constexpr std::uint32_t kDcbParity = 1u << 1;
inline constexpr std::uint32_t kDcbOutxCtsFlow = 1u << 2;
inline constexpr std::uint32_t kDcbOutxDsrFlow = 1u << 3;
// DTR and RTS control are two-bit fields: disable 0, enable 1, handshake 2.
inline constexpr int kDcbDtrControlShift = 4;
inline constexpr int kDcbRtsControlShift = 12;
inline constexpr std::uint32_t kDcbDtrEnable = 1u << kDcbDtrControlShift;
inline constexpr std::uint32_t kDcbDtrHandshake = 2u << kDcbDtrControlShift;
inline constexpr std::uint32_t kDcbDtrControlMask = 3u << kDcbDtrControlShift;
inline constexpr std::uint32_t kDcbOutX = 1u << 8;
inline constexpr std::uint32_t kDcbInX = 1u << 9;
inline constexpr std::uint32_t kDcbRtsEnable = 1u << kDcbRtsControlShift;
inline constexpr std::uint32_t kDcbRtsHandshake = 2u << kDcbRtsControlShift;
inline constexpr std::uint32_t kDcbRtsControlMask = 3u << kDcbRtsControlShift;

// The whole flag word each flow-control choice puts into the block: binary mode and parity checking
// always, then its handshake. Every other flag is off. The half-duplex choices leave RTS to the
// transmit worker, which turns it around each batch.
constexpr std::uint32_t FlowFlagWord(TCommFlowCtrls flow) {
  constexpr std::uint32_t always = kDcbBinary | kDcbParity;
  switch (flow) {
    case cfcRtsCts:
      return always | kDcbOutxCtsFlow | kDcbDtrEnable | kDcbRtsHandshake;
    case cfcDtrDsr:
      return always | kDcbOutxDsrFlow | kDcbDtrHandshake | kDcbRtsEnable;
    case cfcXonXoff:
      return always | kDcbDtrEnable | kDcbOutX | kDcbInX | kDcbRtsEnable;
    case cfcHalfHigh:
      return always | kDcbDtrEnable;
    case cfcHalfLow:
    case cfcNone:
      break;
  }
  return always | kDcbDtrEnable | kDcbRtsEnable;
}

// The words a Windows driver is handed for each choice.
static_assert(FlowFlagWord(cfcRtsCts) == 0x2017);
static_assert(FlowFlagWord(cfcDtrDsr) == 0x102B);
static_assert(FlowFlagWord(cfcXonXoff) == 0x1313);
static_assert(FlowFlagWord(cfcHalfHigh) == 0x0013);
static_assert(FlowFlagWord(cfcHalfLow) == 0x1013);
static_assert(FlowFlagWord(cfcNone) == 0x1013);

struct TCommDcb {
  std::uint32_t DCBlength = 28;
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  char XonChar = 0;
  char XoffChar = 0;

  bool operator==(const TCommDcb&) const = default;
};

}  // namespace kx71
