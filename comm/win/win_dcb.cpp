#include "comm/win/win_dcb.h"

#include <cstddef>
#include <cstring>

namespace kx71 {
namespace {

// The bit fields sit in the 32-bit word between BaudRate and wReserved.
constexpr std::size_t kFlagWordOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(sizeof(DCB) == 28, "the driver's control block is 28 bytes");
static_assert(offsetof(DCB, wReserved) == kFlagWordOffset + sizeof(std::uint32_t));
// The two-bit control fields hold the values windows.h names for them.
static_assert(kDcbDtrEnable == DTR_CONTROL_ENABLE << kDcbDtrControlShift);
static_assert(kDcbDtrHandshake == DTR_CONTROL_HANDSHAKE << kDcbDtrControlShift);
static_assert(kDcbRtsEnable == RTS_CONTROL_ENABLE << kDcbRtsControlShift);
static_assert(kDcbRtsHandshake == RTS_CONTROL_HANDSHAKE << kDcbRtsControlShift);

// The fields that both blocks name alike, copied from one to the other (the flag word apart).
template <class From, class To>
void CopyLineFields(const From& from, To& to) {
  to.BaudRate = from.BaudRate;
  to.XonLim = from.XonLim;
  to.XoffLim = from.XoffLim;
  to.ByteSize = from.ByteSize;
  to.Parity = from.Parity;
  to.StopBits = from.StopBits;
  to.XonChar = from.XonChar;
  to.XoffChar = from.XoffChar;
}

}  // namespace

std::uint32_t DcbFlagWord(const DCB& dcb) {
  std::uint32_t flags;
  std::memcpy(&flags, reinterpret_cast<const unsigned char*>(&dcb) + kFlagWordOffset, sizeof flags);
  return flags;
}

TCommDcb FromNativeDcb(const DCB& dcb) {
  TCommDcb line;
  line.DCBlength = dcb.DCBlength;
  CopyLineFields(dcb, line);
  line.Flags = DcbFlagWord(dcb);
  return line;
}

DCB ToNativeDcb(const TCommDcb& line, const DCB& base) {
  DCB dcb = base;
  dcb.DCBlength = sizeof(DCB);
  CopyLineFields(line, dcb);
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + kFlagWordOffset, &line.Flags, sizeof line.Flags);
  return dcb;
}

}  // namespace kx71
