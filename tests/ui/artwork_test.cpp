// The decorative picture's stretch, read in place from an uncompressed bitmap.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QResource>
#include <cmath>

#include "ui/qt/artwork.h"

namespace kx71 {
namespace {

QImage StretchBitmap(const QByteArray& file, QSize size) {
  return kx71::StretchBitmap(reinterpret_cast<const uchar*>(file.constData()), file.size(), size);
}

QByteArray AsBitmapFile(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"));
  return bytes;
}

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

TEST(Artwork, StretchMatchesSmoothScalingOfTheSamePicture) {
  const QByteArray file = QResource(QString::fromLatin1(kDecorResource)).uncompressedData();
  const QImage original = QImage::fromData(file, "BMP");
  ASSERT_EQ(original.size(), kDecorSize);
  const QImage ours = StretchBitmap(file, kDecorShownSize);
  ASSERT_EQ(ours.size(), kDecorShownSize);
  const QImage reference = original.scaled(kDecorShownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const auto [mean, largest] = Difference(ours, reference);
  EXPECT_LT(mean, 3.0);
  EXPECT_LT(largest, 100);  // hard edges may land a pixel apart; a flip or channel swap would not pass
  EXPECT_EQ(DecorativePicture().size(), kDecorShownSize);
}

TEST(Artwork, StretchKeepsOrientationAndChannelsOfSmallPictures) {
  // Four coloured quadrants, stored bottom-up by the bitmap format; odd width to exercise row padding.
  QImage quadrants(7, 6, QImage::Format_RGB32);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 7; ++x) {
      quadrants.setPixel(x, y,
                         y < 3 ? (x < 4 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                               : (x < 4 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    }
  }
  const QByteArray file = AsBitmapFile(quadrants);
  const QImage same = StretchBitmap(file, quadrants.size());
  ASSERT_FALSE(same.isNull());
  EXPECT_EQ(Difference(same, quadrants).second, 0);
  const QImage bigger = StretchBitmap(file, QSize(14, 12));
  EXPECT_EQ(bigger.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(bigger.pixel(13, 0), qRgb(0, 255, 0));
  EXPECT_EQ(bigger.pixel(0, 11), qRgb(0, 0, 255));
  EXPECT_EQ(bigger.pixel(13, 11), qRgb(255, 255, 255));
  const QImage one = StretchBitmap(file, QSize(1, 1));  // the average of all
  EXPECT_NEAR(qRed(one.pixel(0, 0)), (12 * 255 + 9 * 255) / 42.0, 1);
}

TEST(Artwork, StretchRefusesWhatIsNotAnUncompressed24BitBitmap) {
  QImage tiny(4, 4, QImage::Format_RGB32);
  tiny.fill(Qt::red);
  QByteArray file = AsBitmapFile(tiny);
  EXPECT_FALSE(StretchBitmap(file, QSize(2, 2)).isNull());
  EXPECT_TRUE(StretchBitmap(file, QSize(0, 2)).isNull());
  EXPECT_TRUE(StretchBitmap(file.left(file.size() - 1), QSize(2, 2)).isNull());  // cut short
  EXPECT_TRUE(StretchBitmap(QByteArray(), QSize(2, 2)).isNull());
  EXPECT_TRUE(StretchBitmap(QByteArray("BM"), QSize(2, 2)).isNull());
  QByteArray paletted = file;
  paletted[28] = 8;  // bits per pixel
  EXPECT_TRUE(StretchBitmap(paletted, QSize(2, 2)).isNull());
  QByteArray huge = file;
  huge[18] = '\xff';
  huge[19] = '\xff';
  huge[20] = '\xff';
  huge[21] = '\x7f';  // a width the file cannot hold
  EXPECT_TRUE(StretchBitmap(huge, QSize(2, 2)).isNull());
  QByteArray outside = file;
  outside[10] = '\xff';  // pixels said to start beyond the end
  outside[11] = '\xff';
  EXPECT_TRUE(StretchBitmap(outside, QSize(2, 2)).isNull());
}

}  // namespace
}  // namespace kx71
