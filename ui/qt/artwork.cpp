#include "ui/qt/artwork.h"

#include <QImage>
#include <QString>

namespace kx71 {

QPixmap DecorativePicture(QSize shown) {
  // Stretched once here rather than by the label at every paint.
  const QImage picture(QString::fromLatin1(kDecorResource));
  if (picture.isNull()) return {};
  return QPixmap::fromImage(picture.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace kx71
