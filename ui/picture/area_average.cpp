#include "ui/picture/area_average.h"

#include <algorithm>

namespace kx71 {
namespace {

// How much of source cell `i` (of `from`) lies under target cell `j` (of `to`), in units of
// 1 / from of a target cell: cells are [i * to, (i + 1) * to) against [j * from, (j + 1) * from).
std::int64_t Overlap(std::int64_t i, std::int64_t j, std::int64_t from, std::int64_t to) {
  return std::max<std::int64_t>(0, std::min((i + 1) * to, (j + 1) * from) - std::max(i * to, j * from));
}

}  // namespace

TPixels AreaAverage(const TPixels& from, int tw, int th) {
  const int sw = from.width, sh = from.height;
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0 ||
      from.words.size() != static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh))
    return {};
  TPixels result{tw, th, std::vector<std::uint32_t>(static_cast<std::size_t>(tw) * static_cast<std::size_t>(th))};
  for (int y = 0; y < th; ++y) {
    // The source rows under target row y: from y * sh / th up to (y + 1) * sh / th.
    const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * sh / th);
    const int y1 = std::min(sh - 1, static_cast<int>((static_cast<std::int64_t>(y + 1) * sh - 1) / th));
    for (int x = 0; x < tw; ++x) {
      const int x0 = static_cast<int>(static_cast<std::int64_t>(x) * sw / tw);
      const int x1 = std::min(sw - 1, static_cast<int>((static_cast<std::int64_t>(x + 1) * sw - 1) / tw));
      std::int64_t sum[3] = {}, weight = 0;
      for (int sy = y0; sy <= y1; ++sy) {
        const std::int64_t wy = Overlap(sy, y, sh, th);
        for (int sx = x0; sx <= x1; ++sx) {
          const std::int64_t w = wy * Overlap(sx, x, sw, tw);
          const std::uint32_t p = from.words[static_cast<std::size_t>(sy) * static_cast<std::size_t>(sw) +
                                             static_cast<std::size_t>(sx)];
          for (int c = 0; c < 3; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFF);
          weight += w;
        }
      }
      std::uint32_t out = 0;
      for (int c = 0; c < 3; ++c)
        out |= static_cast<std::uint32_t>(weight > 0 ? (sum[c] + weight / 2) / weight : 0) << (8 * c);
      result.words[static_cast<std::size_t>(y) * static_cast<std::size_t>(tw) + static_cast<std::size_t>(x)] = out;
    }
  }
  return result;
}

}  // namespace kx71
