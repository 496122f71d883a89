#include "ui/qt/artwork.h"

#include <QApplication>
#include <QBitmap>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QString>
#include <cmath>
#include <utility>

namespace kx71 {
namespace {

// `picture` with its bottom-left pixel colour transparent.
QPixmap Keyed(const QImage& picture) {
  QPixmap pixmap = QPixmap::fromImage(picture);
  const QRgb transparent = picture.pixel(0, picture.height() - 1);
  pixmap.setMask(QBitmap::fromImage(picture.createMaskFromColor(transparent, Qt::MaskInColor)));
  return pixmap;
}

// A button picture: the 1x and 2x pixmaps as they are on screens of those ratios, and between or
// beyond them the 2x one stretched to the device pixels asked for. (Qt's own icon takes the 1x one
// up to a ratio of 1.5 and stretches it there, which blurs.)
class TPictureIconEngine : public QIconEngine {
 public:
  TPictureIconEngine(QPixmap one, QPixmap two) : one_(std::move(one)), two_(std::move(two)) {}

  QIconEngine* clone() const override { return new TPictureIconEngine(one_, two_); }
  bool isNull() override { return one_.isNull(); }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {one_.size()}; }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    return one_.size().boundedTo(size);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1);
  }
  // `size` in device pixels.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    const QPixmap& source = scale > 1 && !two_.isNull() ? two_ : one_;
    QPixmap shown = source.size() == size ? source
                                          : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (mode != QIcon::Normal) {
      QStyleOption option;
      option.palette = QGuiApplication::palette();
      shown = QApplication::style()->generatedIconPixmap(mode, shown, &option);
    }
    shown.setDevicePixelRatio(scale);
    return shown;
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device()->devicePixelRatio();
    painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
  }

 private:
  QPixmap one_, two_;
};

}  // namespace

QImage ReadPng(const QString& path) {
  QImageReader reader(path, "png");
  // Naming the format is not enough: Qt would still load every image plugin to ask whether it
  // reads PNG better than its own reader.
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

QImage DecorativePicture(QSize shown, qreal ratio) {
  const QSize made = ratio == 1 ? shown : shown * 2;
  const QResource resource(ratio == 1 ? QStringLiteral(":/kx71/shown/decor.rgb32")
                                      : QStringLiteral(":/kx71/shown/decor@2x.rgb32"));
  if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression ||
      resource.size() != qint64{made.width()} * made.height() * 4) {
    return {};
  }
  QImage picture(resource.data(), made.width(), made.height(), QImage::Format_RGB32);
  const QSize device(static_cast<int>(std::ceil(shown.width() * ratio)),
                     static_cast<int>(std::ceil(shown.height() * ratio)));
  if (picture.size() != device) {
    picture = picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  picture.setDevicePixelRatio(ratio);
  return picture;
}

TButtonPicture ButtonPicture(const char* name) {
  const QString path = QStringLiteral(":/kx71/") + QString::fromLatin1(name);
  const QString twice = QString(path).insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
  const QImage one = ReadPng(path), two = ReadPng(twice);
  if (one.isNull()) return {};
  return {QIcon(new TPictureIconEngine(Keyed(one), two.isNull() ? QPixmap() : Keyed(two))), one.size()};
}

}  // namespace kx71
