// Word wrapping for the comment box, which lays its lines out itself at a fixed line spacing (the
// static control's own wrapping spaces lines by the font's height, which varies with the face that
// stands in for the window's font).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kx71 {

// Splits `text` into the lines that fit `width` as `measure` counts widths: CR LF (or a lone LF)
// ends a line, lines break after spaces, and a word wider than the whole width breaks between
// characters. Spaces at a break are dropped.
std::vector<std::wstring> WrapLines(std::wstring_view text, int width,
                                    const std::function<int(std::wstring_view)>& measure);

}  // namespace kx71
