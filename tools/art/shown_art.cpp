// Writes a picture of the window at the size the layout table shows it, so the program neither
// decodes nor stretches it at start:
//
//   kx71-shown-art <source image> <scale> <output.rgb32>
//
// The output is the layout's picture area times `scale` in device pixels: the source smoothly
// stretched to it (a source already that size is taken as it is), written as the bare pixels of a
// QImage::Format_RGB32 image (0xffRRGGBB words in this machine's byte order, rows top to bottom),
// which the window paints straight from its resources.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "ui/form/layout.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <source image> <scale> <output.rgb32>\n", argv[0]);
    return 2;
  }
  const int scale = std::atoi(argv[2]);
  const kx71::TControlDef* picture = nullptr;
  for (const kx71::TControlDef& def : kx71::Layout()) {
    if (def.kind == kx71::TControlKind::Picture) picture = &def;
  }
  if (picture == nullptr || scale < 1) {
    std::fprintf(stderr, "%s: no picture in the layout, or a scale below 1\n", argv[0]);
    return 2;
  }
  QCoreApplication app(argc, argv);
  const QImage source(QString::fromLocal8Bit(argv[1]));
  if (source.isNull()) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  const QSize shown(picture->w * scale, picture->h * scale);
  // The same stretch the window made of the source at every start before.
  const QImage out = (source.size() == shown ? source
                                             : source.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
                        .convertToFormat(QImage::Format_RGB32);
  QFile file(QString::fromLocal8Bit(argv[3]));
  const auto bytes = static_cast<qint64>(out.sizeInBytes());
  if (out.bytesPerLine() != qsizetype{shown.width()} * 4 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(out.constBits()), bytes) != bytes || !file.flush()) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
    return 1;
  }
  return 0;
}
