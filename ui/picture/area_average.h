// The decorative picture's resampling, without a toolkit: the Windows window runs it for the
// scales it has no stored copy at, and the build runs it (tools/art/fit_bmp.cpp) for the copy it
// stores at 96 DPI, so that both give the same pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace kx71 {

// A picture of 8-bit channels in the low 24 bits of each word (blue lowest, as GDI's 32-bit
// pixels), rows top to bottom.
struct TPixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> words;
};

// `from` at `width` x `height`, each pixel the average of the source area it covers, weighted by
// how much of each source pixel lies under it, so that the picture's edges map onto the copy's
// edges. Empty for an empty source or size.
TPixels AreaAverage(const TPixels& from, int width, int height);

}  // namespace kx71
