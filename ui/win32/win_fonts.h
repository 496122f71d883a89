// The window's fonts on Windows: "ＭＳ Ｐゴシック" where the system has it, else a Japanese
// proportional gothic that is present.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kx71 {

// The face the window's text uses (chosen once).
const std::wstring& UiFaceName();

// A Shift-JIS font of the window's face, `pixels` high (character height); the caller deletes it.
HFONT MakeUiFont(int pixels, bool bold = false);
// The spin buttons' "System" face, 19 pixels, bold.
HFONT MakeSystemFont(int pixels, bool bold);

}  // namespace kx71
