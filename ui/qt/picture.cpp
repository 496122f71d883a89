#include "ui/qt/picture.h"

#include <QPainter>

#include "ui/qt/artwork.h"

namespace kx71 {

const QImage& TQtPicture::Shown() {
  const qreal ratio = devicePixelRatioF();
  if (shown_.isNull() || shown_.devicePixelRatio() != ratio) shown_ = DecorativePicture(size(), ratio);
  return shown_;
}

void TQtPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Shown());
}

}  // namespace kx71
