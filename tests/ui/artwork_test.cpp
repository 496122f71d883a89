// The decorative picture as the window shows it: the drawn picture, smoothly stretched.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <cmath>
#include <utility>

#include "ui/form/layout.h"
#include "ui/qt/artwork.h"

namespace kx71 {
namespace {

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

TEST(Artwork, ShownPictureIsTheDrawnOneSmoothlyStretched) {
  const QImage original(QString::fromLatin1(kDecorResource));
  ASSERT_EQ(original.size(), kDecorSize);
  const QSize area(321, 345);  // the picture's row in the layout
  const QImage shown = DecorativePicture(area).toImage();
  ASSERT_EQ(shown.size(), area);
  const QImage smooth = original.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const QImage nearest = original.scaled(area, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  // The picture's hard edges tell the two stretches apart, so a nearest-pixel stretch fails here,
  // as would a flip, a channel swap or a crop.
  ASSERT_GT(Difference(nearest, smooth).first, 1.0);
  const auto [mean, largest] = Difference(shown, smooth);
  EXPECT_LT(mean, 0.5);
  EXPECT_LE(largest, 2);
}

}  // namespace
}  // namespace kx71
