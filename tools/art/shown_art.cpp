// Writes a picture of the window at the size the layout table shows it, so the program decodes it
// once and never stretches it at start:
//
//   kx71-shown-art <source image> <scale> <output.ppm>
//
// The output is the layout's picture area times `scale` in device pixels: the source smoothly
// stretched to it (a source already that size is taken as it is). PPM, because it decodes with no
// inflating or unfiltering.
#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "ui/form/layout.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <source image> <scale> <output.ppm>\n", argv[0]);
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
  const QImage out = source.size() == shown ? source
                                            : source.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (!out.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[3]), "PPM")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
    return 1;
  }
  return 0;
}
