// The line settings the component keeps for its port, laid out as the Windows device control block
// (field meanings and flag bits as there), so every platform layer reads one description of the line.
#pragma once

#include <cstdint>

namespace kx71 {

// Bits of TCommDcb::Flags.
inline constexpr std::uint32_t kDcbBinary = 0x0001;
inline constexpr std::uint32_t kDcbParity = 0x0002;
inline constexpr std::uint32_t kDcbOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t kDcbOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t kDcbDtrControlMask = 0x0030;  // 0 disable, 0x10 enable, 0x20 handshake
inline constexpr std::uint32_t kDcbDtrEnable = 0x0010;
inline constexpr std::uint32_t kDcbDtrHandshake = 0x0020;
inline constexpr std::uint32_t kDcbOutX = 0x0100;
inline constexpr std::uint32_t kDcbInX = 0x0200;
inline constexpr std::uint32_t kDcbRtsControlMask = 0x3000;  // 0 disable, 0x1000 enable, 0x2000 handshake
inline constexpr std::uint32_t kDcbRtsEnable = 0x1000;
inline constexpr std::uint32_t kDcbRtsHandshake = 0x2000;

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
