// The flag word the component keeps and the DCB's bit fields are the same bits: each flow-control
// word sets exactly the named fields, and the fields TCommDcb does not describe survive a set.
#include <gtest/gtest.h>

#include "comm/win/win_dcb.h"

namespace kx71 {
namespace {

struct FlowCase {
  std::uint32_t word;
  DWORD outxCts, outxDsr, dtrControl, outX, inX, rtsControl;
};

TEST(WinDcb, FlowControlWordsSetTheNamedBitFields) {
  const FlowCase cases[] = {
      {0x2017, 1, 0, DTR_CONTROL_ENABLE, 0, 0, RTS_CONTROL_HANDSHAKE},
      {0x102B, 0, 1, DTR_CONTROL_HANDSHAKE, 0, 0, RTS_CONTROL_ENABLE},
      {0x1313, 0, 0, DTR_CONTROL_ENABLE, 1, 1, RTS_CONTROL_ENABLE},
      {0x0013, 0, 0, DTR_CONTROL_ENABLE, 0, 0, RTS_CONTROL_DISABLE},
      {0x1013, 0, 0, DTR_CONTROL_ENABLE, 0, 0, RTS_CONTROL_ENABLE},
  };
  DCB base{};
  base.DCBlength = sizeof(DCB);
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.word);
    TCommDcb line;
    line.Flags = c.word;
    const DCB dcb = ToNativeDcb(line, base);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow, c.outxCts);
    EXPECT_EQ(dcb.fOutxDsrFlow, c.outxDsr);
    EXPECT_EQ(dcb.fDtrControl, c.dtrControl);
    EXPECT_EQ(dcb.fOutX, c.outX);
    EXPECT_EQ(dcb.fInX, c.inX);
    EXPECT_EQ(dcb.fRtsControl, c.rtsControl);
    // Everything else is off.
    EXPECT_EQ(dcb.fDsrSensitivity | dcb.fTXContinueOnXoff | dcb.fErrorChar | dcb.fNull | dcb.fAbortOnError,
              0u);
    EXPECT_EQ(DcbFlagWord(dcb), c.word);
    EXPECT_EQ(FromNativeDcb(dcb).Flags, c.word);
  }
}

TEST(WinDcb, LineFieldsReplacedOtherFieldsKept) {
  DCB base{};
  base.DCBlength = sizeof(DCB);
  base.BaudRate = 38400;
  base.fAbortOnError = 1;
  base.fNull = 1;
  base.ErrorChar = '?';
  base.EofChar = 0x1A;
  base.EvtChar = 0x7E;

  TCommDcb line;
  line.BaudRate = 9600;
  line.Flags = 0x1013;
  line.XonLim = 512;
  line.XoffLim = 512;
  line.ByteSize = 7;
  line.Parity = 2;
  line.StopBits = 2;
  line.XonChar = 0x11;
  line.XoffChar = 0x13;
  const DCB dcb = ToNativeDcb(line, base);

  EXPECT_EQ(dcb.DCBlength, 28u);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.fAbortOnError, 0u);  // the whole flag word is replaced
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.XonLim, 512);
  EXPECT_EQ(dcb.XoffLim, 512);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(dcb.XonChar, 0x11);
  EXPECT_EQ(dcb.XoffChar, 0x13);
  EXPECT_EQ(dcb.ErrorChar, '?');
  EXPECT_EQ(dcb.EofChar, 0x1A);
  EXPECT_EQ(dcb.EvtChar, 0x7E);

  TCommDcb back = FromNativeDcb(dcb);
  EXPECT_EQ(back, line);
}

}  // namespace
}  // namespace kx71
