#include "comm/win/win_dcb.h"

#include <cstddef>
#include <cstring>

namespace kx71 {
namespace {

// The bit fields sit in the 32-bit word between BaudRate and wReserved.
constexpr std::size_t kFlagWordOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(sizeof(DCB) == 28, "the driver's control block is 28 bytes");
static_assert(offsetof(DCB, wReserved) == kFlagWordOffset + sizeof(std::uint32_t));

}  // namespace

std::uint32_t DcbFlagWord(const DCB& dcb) {
  std::uint32_t flags;
  std::memcpy(&flags, reinterpret_cast<const unsigned char*>(&dcb) + kFlagWordOffset, sizeof flags);
  return flags;
}

TCommDcb FromNativeDcb(const DCB& dcb) {
  TCommDcb line;
  line.DCBlength = dcb.DCBlength;
  line.BaudRate = dcb.BaudRate;
  line.Flags = DcbFlagWord(dcb);
  line.XonLim = dcb.XonLim;
  line.XoffLim = dcb.XoffLim;
  line.ByteSize = dcb.ByteSize;
  line.Parity = dcb.Parity;
  line.StopBits = dcb.StopBits;
  line.XonChar = dcb.XonChar;
  line.XoffChar = dcb.XoffChar;
  return line;
}

DCB ToNativeDcb(const TCommDcb& line, const DCB& base) {
  DCB dcb = base;
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = line.BaudRate;
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + kFlagWordOffset, &line.Flags, sizeof line.Flags);
  dcb.XonLim = line.XonLim;
  dcb.XoffLim = line.XoffLim;
  dcb.ByteSize = line.ByteSize;
  dcb.Parity = line.Parity;
  dcb.StopBits = line.StopBits;
  dcb.XonChar = line.XonChar;
  dcb.XoffChar = line.XoffChar;
  return dcb;
}

}  // namespace kx71
