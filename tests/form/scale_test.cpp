// Display scaling of the layout: hand-worked values at the common DPIs (96, 120, 144, 192), the
// table unchanged at 96 DPI, and edges that keep their order (controls that meet still meet).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <string_view>

#include "ui/form/layout.h"
#include "ui/form/scale.h"

namespace kx71 {

// Failures show the bounds, not their bytes.
void PrintTo(const TBounds& b, std::ostream* os) { *os << b.x << ", " << b.y << ", " << b.w << " x " << b.h; }

namespace {

const TControlDef& Row(std::string_view name) {
  for (const TControlDef& def : Layout())
    if (name == def.name) return def;
  ADD_FAILURE() << "no row " << name;
  return Layout().front();
}

struct DpiCase {
  int dpi;
  TSize client;          // the window's 310 x 416
  int windowFont, spinFont, idFont, rowHeight, glyph;
  TBounds readButton;    // 43, 2, 43, 24
  TBounds picture;       // -8, 0, 321, 345: left of its panel
  TBounds comment;       // 8, 264, 289, 65
  int captionX, captionY;  // Label14 at 10, 6, sized to its text
};

class Scaled : public ::testing::TestWithParam<DpiCase> {};

TEST_P(Scaled, LengthsScaleByTheDpiOver96ToTheNearestPixel) {
  const DpiCase& c = GetParam();
  const TScale scale(c.dpi);
  EXPECT_EQ(scale.Size({310, 416}), c.client);
  EXPECT_EQ(scale.FontPixels(Row("Label14").font), c.windowFont);
  EXPECT_EQ(scale.FontPixels(Row("YOUID_INC").font), c.spinFont);
  EXPECT_EQ(scale.FontPixels(Row("YOUID_EDIT").font), c.idFont);
  EXPECT_EQ(scale.RowHeight(Row("K_Comment")), c.rowHeight);
  EXPECT_EQ(scale.RowHeight(Row("CommBox")), c.rowHeight);
  EXPECT_EQ(scale.GlyphFactor(), c.glyph);
  EXPECT_EQ(scale.Bounds(Row("READ_BTN")), c.readButton);
  EXPECT_EQ(scale.Bounds(Row("Image1")), c.picture);
  EXPECT_EQ(scale.Bounds(Row("K_Comment")), c.comment);
  EXPECT_EQ(scale.Bounds(Row("Label14")), (TBounds{c.captionX, c.captionY, kFitted, kFitted}));
}

// Every pair of edges of the controls of one parent (the window's panels included) keeps its
// order: what touched at 96 DPI touches, what overlapped overlaps, what was apart stays apart.
TEST_P(Scaled, EdgesKeepTheirOrder) {
  const TScale scale(GetParam().dpi);
  const auto edges = [&](const TControlDef& def, bool scaled) {
    const TBounds b = scaled ? scale.Bounds(def) : TBounds{def.x, def.y, def.w, def.h};
    return std::array{b.x, b.x + b.w, b.y, b.y + b.h};
  };
  const auto sign = [](int d) { return (d > 0) - (d < 0); };
  const auto rows = Layout();
  for (const TControlDef& a : rows) {
    for (const TControlDef& b : rows) {
      if (&a == &b || std::string_view(a.parent) != b.parent || a.w == kFitted || b.w == kFitted) continue;
      const auto a96 = edges(a, false), b96 = edges(b, false), aNow = edges(a, true), bNow = edges(b, true);
      for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = (i / 2) * 2; j < (i / 2) * 2 + 2; ++j) {  // x edges with x edges, y with y
          EXPECT_EQ(sign(aNow[i] - bNow[j]), sign(a96[i] - b96[j])) << a.name << " " << i << " / " << b.name << " " << j;
        }
      }
    }
  }
  // The fitted client area is the extent of the scaled panels.
  TSize extent;
  for (const TControlDef& def : rows) {
    if (def.kind != TControlKind::Panel || def.Has(kHidden)) continue;
    const TBounds b = scale.Bounds(def);
    extent = {std::max(extent.width, b.x + b.w), std::max(extent.height, b.y + b.h)};
  }
  EXPECT_EQ(extent, scale.Size({310, 416}));
}

INSTANTIATE_TEST_SUITE_P(
    Dpis, Scaled,
    ::testing::Values(DpiCase{96, {310, 416}, 12, 19, 21, 12, 1, {43, 2, 43, 24}, {-8, 0, 321, 345}, {8, 264, 289, 65}, 10, 6},
                      DpiCase{120, {388, 520}, 15, 24, 26, 15, 1, {54, 3, 54, 30}, {-10, 0, 401, 431},
                              {10, 330, 361, 81}, 13, 8},
                      DpiCase{144, {465, 624}, 18, 29, 32, 18, 2, {65, 3, 64, 36}, {-12, 0, 482, 518},
                              {12, 396, 434, 98}, 15, 9},
                      DpiCase{192, {620, 832}, 24, 38, 42, 24, 2, {86, 4, 86, 48}, {-16, 0, 642, 690},
                              {16, 528, 578, 130}, 20, 12}),
    [](const auto& info) { return std::to_string(info.param.dpi) + "dpi"; });

// At 96 DPI the window is the table, pixel for pixel.
TEST(Scale, At96DpiEveryRowKeepsItsBounds) {
  const TScale scale;
  EXPECT_EQ(scale.Dpi(), 96);
  for (const TControlDef& def : Layout()) EXPECT_EQ(scale.Bounds(def), (TBounds{def.x, def.y, def.w, def.h})) << def.name;
  EXPECT_EQ(TScale(0).Dpi(), 96) << "no DPI known: the layout's own";
}

}  // namespace
}  // namespace kx71
