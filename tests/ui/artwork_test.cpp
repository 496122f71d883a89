// The artwork as the window shows it at each device pixel ratio: the decorative picture made at its
// shown size from the drawn art, the button pictures keyed, both sharp on a screen that scales by 2.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <cmath>
#include <utility>

#include "ui/qt/artwork.h"

namespace kx71 {
namespace {

const QSize kShown(321, 345);  // the picture's row in the layout

// Mean and largest difference of any channel between two images of one size.
std::pair<double, int> Difference(const QImage& a, const QImage& b) {
  double sum = 0;
  int largest = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
        sum += std::abs(d);
        largest = std::max(largest, std::abs(d));
      }
    }
  }
  return {sum / (a.width() * a.height() * 3.0), largest};
}

// Mean green step between horizontal neighbours: how much fine detail an image holds.
double Detail(const QImage& image) {
  double sum = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 1; x < image.width(); ++x) sum += std::abs(qGreen(image.pixel(x, y)) - qGreen(image.pixel(x - 1, y)));
  }
  return sum / (image.width() - 1) / image.height();
}

TEST(Artwork, PictureAtScaleOneIsTheDrawnArtSmoothlyStretchedAsBefore) {
  const QImage original(QStringLiteral(KX71_RES_DIR "/decor.bmp"));
  ASSERT_EQ(original.size(), QSize(796, 478));
  const QImage shown = DecorativePicture(kShown, 1).convertToFormat(QImage::Format_RGB32);
  const QImage smooth = original.scaled(kShown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const QImage nearest = original.scaled(kShown, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  // The picture's hard edges tell the two stretches apart, so a nearest-pixel stretch fails here,
  // as would a flip, a channel swap or a crop.
  ASSERT_GT(Difference(nearest, smooth).first, 1.0);
  ASSERT_EQ(shown.size(), kShown);
  EXPECT_EQ(Difference(shown, smooth.convertToFormat(QImage::Format_RGB32)).second, 0);  // the pixels of old
}

class ArtworkAtRatio : public testing::TestWithParam<double> {};

TEST_P(ArtworkAtRatio, PicturesComeAtTheScreensDevicePixels) {
  const double ratio = GetParam();
  const QImage picture = DecorativePicture(kShown, ratio);
  EXPECT_EQ(picture.devicePixelRatio(), ratio);
  EXPECT_EQ(picture.size(), QSize(static_cast<int>(std::ceil(kShown.width() * ratio)),
                                  static_cast<int>(std::ceil(kShown.height() * ratio))));
  EXPECT_FALSE(picture.hasAlphaChannel());
  if (ratio == 2) {
    // Drawn at twice the size, not the 1x picture stretched: the fine detail stays.
    const QImage stretched = DecorativePicture(kShown, 1).scaled(picture.size(), Qt::IgnoreAspectRatio,
                                                                           Qt::SmoothTransformation);
    EXPECT_GT(Detail(picture), 1.15 * Detail(stretched));
  }
  for (const auto& [name, size] : {std::pair{"write.png", QSize(24, 16)}, std::pair{"read.png", QSize(24, 16)},
                                   std::pair{"exit.png", QSize(24, 14)}}) {
    SCOPED_TRACE(name);
    const TButtonPicture button = ButtonPicture(name);
    EXPECT_EQ(button.size, size);
    // What a button paints on such a screen.
    const QPixmap shown = button.icon.pixmap(size, ratio);
    EXPECT_EQ(shown.devicePixelRatio(), ratio);
    EXPECT_EQ(shown.size(), size * ratio);
    const QImage image = shown.toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0);  // the magenta corner is transparent
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (qAlpha(p) == 255) {
          ASSERT_NE(p & 0xFFFFFF, 0xFF00FFu) << x << "," << y;
        }
      }
    }
  }
  if (ratio == 2) {
    // At 2 the buttons show their own 2x pictures, as drawn: every pixel fully opaque or clear.
    const QImage twice = ButtonPicture("exit.png").icon.pixmap(QSize(24, 14), 2).toImage();
    for (int y = 0; y < twice.height(); ++y) {
      for (int x = 0; x < twice.width(); ++x) {
        const int alpha = qAlpha(twice.pixel(x, y));
        ASSERT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ratios, ArtworkAtRatio, testing::Values(1.0, 1.5, 2.0));

}  // namespace
}  // namespace kx71
