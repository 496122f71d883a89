// The component's line description (TCommDcb) and the Windows DCB, both ways. The DCB's bit fields
// share one 32-bit word, which TCommDcb::Flags holds whole.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "comm/comm_dcb.h"

namespace kx71 {

// The flag word of a DCB (fBinary in bit 0 ... fAbortOnError in bit 14).
std::uint32_t DcbFlagWord(const DCB& dcb);

// The fields TCommDcb describes, taken from `dcb`.
TCommDcb FromNativeDcb(const DCB& dcb);

// `base` (the driver's block as last read, for the fields TCommDcb does not describe) with every
// field TCommDcb describes replaced by `line`'s, the flag word included.
DCB ToNativeDcb(const TCommDcb& line, const DCB& base);

}  // namespace kx71
