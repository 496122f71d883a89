// The decorative picture's resampling: where its columns land, and what a flat or exact case gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/picture/area_average.h"

namespace kx71 {
namespace {

// The picture's bounds map onto the copy's: a source column lands where its place scales to, at
// the left as at the right (the decorative picture's sizes, shrunk and grown).
struct TColumnsCase {
  int width, height, toWidth, toHeight;
};
class AreaAverageColumns : public ::testing::TestWithParam<TColumnsCase> {};

TEST_P(AreaAverageColumns, KeepEachColumnInItsPlace) {
  const auto [kW, kH, kToW, kToH] = GetParam();
  TPixels source{kW, kH, std::vector<std::uint32_t>(static_cast<std::size_t>(kW * kH), 0)};
  std::vector<int> lines;  // each three columns wide, from here
  for (const int x : {20, 41, 400, 760, 790})
    if (x + 3 <= kW) lines.push_back(x);
  for (const int x : lines)
    for (int y = 0; y < kH; ++y)
      for (int dx = 0; dx < 3; ++dx) source.words[static_cast<std::size_t>(y * kW + x + dx)] = 0xFFFFFF;
  const TPixels shown = AreaAverage(source, kToW, kToH);
  ASSERT_EQ(shown.words.size(), static_cast<std::size_t>(kToW * kToH));
  for (const int x : lines) {
    // The line's centre in pixel units (a pixel's centre is at its index + 0.5), scaled.
    const double want = (x + 1.5) * kToW / kW - 0.5;
    double sum = 0, weight = 0;
    for (int tx = static_cast<int>(want) - 3; tx <= static_cast<int>(want) + 3; ++tx) {
      if (tx < 0 || tx >= kToW) continue;
      const double v = shown.words[static_cast<std::size_t>(kToH / 2 * kToW + tx)] & 0xFF;
      sum += v * tx;
      weight += v;
    }
    ASSERT_GT(weight, 0) << "column " << x << " lost";
    EXPECT_NEAR(sum / weight, want, 0.25) << "column " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AreaAverageColumns,
                         ::testing::Values(TColumnsCase{796, 478, 321, 345}, TColumnsCase{796, 478, 482, 518},
                                           TColumnsCase{796, 478, 642, 690}, TColumnsCase{400, 300, 800, 600}));

// Each channel is averaged on its own and rounded to the nearest value; a flat picture stays flat
// whatever the size, and a copy at the same size is the picture itself.
TEST(AreaAverage, AveragesEachChannelAndKeepsFlatAndSameSizePictures) {
  const TPixels pair{2, 1, {0x000000, 0x0102FF}};  // blue 0 and 255, green 0 and 2, red 0 and 1
  EXPECT_EQ(AreaAverage(pair, 1, 1).words, std::vector<std::uint32_t>{0x010180});  // 127.5 and 0.5 round up
  const TPixels flat{5, 3, std::vector<std::uint32_t>(15, 0x123456)};
  const TPixels grown = AreaAverage(flat, 7, 4);
  EXPECT_EQ(grown.words, std::vector<std::uint32_t>(28, 0x123456));
  TPixels mixed{3, 2, {1, 2, 3, 0xFF0000, 0x00FF00, 0x0000FF}};
  EXPECT_EQ(AreaAverage(mixed, 3, 2).words, mixed.words);
  EXPECT_EQ(AreaAverage(mixed, 3, 2).width, 3);
}

TEST(AreaAverage, GivesNothingForAnEmptyOrMismatchedPicture) {
  EXPECT_TRUE(AreaAverage(TPixels{}, 3, 3).words.empty());
  EXPECT_TRUE(AreaAverage(TPixels{2, 2, {1, 2, 3}}, 3, 3).words.empty());
  EXPECT_TRUE(AreaAverage(TPixels{1, 1, {1}}, 0, 3).words.empty());
}

}  // namespace
}  // namespace kx71
