// Draws the window's artwork into PNG files: the decorative picture behind the level options, the
// three command-button pictures and the program icon (PNG in the desktop's sizes, and SVG).
//
//   kx71-draw-art <output directory>
//
// The decorative picture is drawn in the coordinates of the area it is stretched into on screen
// (321 x 345), so its shapes keep their proportions there; it is stored at 796 x 478 as an
// uncompressed 24-bit bitmap, and drawn again at twice the shown size for screens that scale by 2
// (decor@2x.png). The button pictures come at twice their size too (name@2x.png).
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPictureWidth = 796, kPictureHeight = 478;
constexpr double kShownWidth = 321, kShownHeight = 345;
constexpr double kHorizon = 132;
constexpr double kVanishX = 168;
const QColor kMagenta{255, 0, 255};

void Sky(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kHorizon);
  sky.setColorAt(0.0, QColor(8, 14, 48));
  sky.setColorAt(0.55, QColor(70, 30, 110));
  sky.setColorAt(0.85, QColor(214, 70, 110));
  sky.setColorAt(1.0, QColor(255, 150, 70));
  p.fillRect(QRectF(0, 0, kShownWidth, kHorizon), sky);
  // Stars in the upper sky.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  unsigned seed = 71;
  for (int i = 0; i < 60; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double x = (seed >> 8) % 321;
    seed = seed * 1103515245u + 12345u;
    const double y = (seed >> 8) % 70;
    p.drawEllipse(QPointF(x, y), 0.6, 0.6);
  }
  // A setting sun with a banded lower half.
  QLinearGradient sunFill(0, kHorizon - 60, 0, kHorizon);
  sunFill.setColorAt(0, QColor(255, 230, 90));
  sunFill.setColorAt(1, QColor(255, 80, 120));
  QPainterPath sun;
  sun.addEllipse(QPointF(kVanishX, kHorizon), 58, 58);
  QPainterPath above;
  above.addRect(QRectF(0, 0, kShownWidth, kHorizon));
  sun = sun.intersected(above);
  for (int band = 0; band < 5; ++band) {
    QPainterPath gap;
    const double y = kHorizon - 30 + band * 6.5;
    gap.addRect(QRectF(0, y, kShownWidth, 1.2 + band * 0.6));
    sun = sun.subtracted(gap);
  }
  p.setBrush(sunFill);
  p.drawPath(sun);
  // Distant hills.
  QPainterPath hills;
  hills.moveTo(0, kHorizon);
  const double ridge[] = {118, 110, 121, 104, 116, 123, 112, 100, 114, 119, 108, 117, 122};
  for (int i = 0; i < 13; ++i) hills.lineTo(i * kShownWidth / 12, ridge[i]);
  hills.lineTo(kShownWidth, kHorizon);
  hills.closeSubpath();
  p.setBrush(QColor(40, 16, 60));
  p.drawPath(hills);
}

void Ground(QPainter& p) {
  QLinearGradient ground(0, kHorizon, 0, kShownHeight);
  ground.setColorAt(0, QColor(30, 8, 50));
  ground.setColorAt(1, QColor(12, 4, 24));
  p.fillRect(QRectF(0, kHorizon, kShownWidth, kShownHeight - kHorizon), ground);
  // A neon grid on the ground, in perspective.
  p.setPen(QPen(QColor(255, 60, 200, 150), 0.8));
  for (int i = -12; i <= 12; ++i)
    p.drawLine(QPointF(kVanishX, kHorizon), QPointF(kVanishX + i * 60, kShownHeight));
  for (int i = 1; i < 14; ++i) {
    const double y = kHorizon + (kShownHeight - kHorizon) * std::pow(i / 13.0, 2.2);
    p.drawLine(QPointF(0, y), QPointF(kShownWidth, y));
  }
}

// The track's edge at depth t (0 at the horizon, 1 at the bottom), left or right.
QPointF TrackEdge(double t, int side) {
  const double halfWidth = 6 + t * 190;
  return {kVanishX + side * halfWidth, kHorizon + t * (kShownHeight - kHorizon)};
}

void Track(QPainter& p) {
  QPainterPath road;
  road.moveTo(TrackEdge(0, -1));
  road.lineTo(TrackEdge(0, 1));
  road.lineTo(TrackEdge(1.2, 1));
  road.lineTo(TrackEdge(1.2, -1));
  road.closeSubpath();
  QLinearGradient asphalt(0, kHorizon, 0, kShownHeight);
  asphalt.setColorAt(0, QColor(70, 64, 84));
  asphalt.setColorAt(1, QColor(38, 36, 46));
  p.setPen(Qt::NoPen);
  p.setBrush(asphalt);
  p.drawPath(road);
  // Kerbs: red and white blocks that lengthen towards the viewer.
  for (int side : {-1, 1}) {
    double t = 0.02;
    for (int block = 0; t < 1.2; ++block) {
      const double next = t * 1.28 + 0.012;
      const QPointF a = TrackEdge(t, side), b = TrackEdge(next, side);
      const double w = 1 + t * 9;
      QPolygonF kerb;
      kerb << a << b << QPointF(b.x() + side * w * 1.2, b.y()) << QPointF(a.x() + side * w, a.y());
      p.setBrush(block % 2 ? QColor(250, 250, 250) : QColor(225, 20, 30));
      p.drawPolygon(kerb);
      t = next;
    }
  }
  // The dashed centre line.
  p.setBrush(QColor(255, 230, 120));
  double t = 0.03;
  for (int dash = 0; t < 1.2; ++dash) {
    const double next = t * 1.35 + 0.01;
    if (dash % 2 == 0) {
      const double w0 = 0.3 + t * 3, w1 = 0.3 + next * 3;
      const QPointF a = TrackEdge(t, 0), b = TrackEdge(next, 0);
      QPolygonF line;
      line << QPointF(a.x() - w0, a.y()) << QPointF(a.x() + w0, a.y()) << QPointF(b.x() + w1, b.y())
           << QPointF(b.x() - w1, b.y());
      p.drawPolygon(line);
    }
    t = next;
  }
}

void CheckeredFlag(QPainter& p) {
  // Pole.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 200, 210));
  p.drawRect(QRectF(22, 18, 3, 108));
  p.setBrush(QColor(255, 210, 60));
  p.drawEllipse(QPointF(23.5, 17), 3, 3);
  // A waving cloth of 6 x 4 squares.
  constexpr int kCols = 6, kRows = 4;
  constexpr double kLeft = 25, kTop = 22, kCell = 11;
  auto at = [&](double col, double row) {
    const double x = kLeft + col * kCell;
    const double y = kTop + row * kCell + 4 * std::sin(col * 0.9) * (col / kCols);
    return QPointF(x, y);
  };
  for (int c = 0; c < kCols; ++c) {
    for (int r = 0; r < kRows; ++r) {
      QPolygonF cell;
      cell << at(c, r) << at(c + 1, r) << at(c + 1, r + 1) << at(c, r + 1);
      const double shade = 0.8 + 0.2 * std::cos(c * 0.9);
      const int light = static_cast<int>(250 * shade), dark = static_cast<int>(20 * shade);
      p.setBrush((c + r) % 2 ? QColor(dark, dark, dark + 6) : QColor(light, light, light));
      p.drawPolygon(cell);
    }
  }
}

void StartLights(QPainter& p) {
  const QRectF housing(262, 14, 40, 196);
  p.setPen(QPen(QColor(90, 90, 110), 1.5));
  p.setBrush(QColor(16, 16, 22));
  p.drawRoundedRect(housing, 8, 8);
  for (int i = 0; i < 5; ++i) {
    const QPointF centre(housing.center().x(), housing.top() + 22 + i * 38);
    QRadialGradient glow(centre, 22);
    glow.setColorAt(0, QColor(255, 60, 40, 150));
    glow.setColorAt(1, QColor(255, 60, 40, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 22, 22);
    QRadialGradient lamp(centre - QPointF(3, 3), 14);
    lamp.setColorAt(0, QColor(255, 200, 180));
    lamp.setColorAt(0.4, QColor(255, 40, 30));
    lamp.setColorAt(1, QColor(140, 0, 0));
    p.setBrush(lamp);
    p.drawEllipse(centre, 13, 13);
  }
}

void Tachometer(QPainter& p) {
  const QPointF c(50, 196);
  constexpr double r = 38;
  p.setPen(QPen(QColor(200, 200, 220), 2.5));
  p.setBrush(QColor(10, 10, 20, 220));
  p.drawEllipse(c, r, r);
  // The red zone and the ticks, from 225 degrees down to -45 degrees.
  p.setPen(QPen(QColor(230, 30, 40), 5, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(c.x() - r + 6, c.y() - r + 6, 2 * r - 12, 2 * r - 12), -45 * 16, 60 * 16);
  for (int i = 0; i <= 10; ++i) {
    const double a = (225 - i * 27) * M_PI / 180;
    const QPointF dir(std::cos(a), -std::sin(a));
    p.setPen(QPen(i >= 8 ? QColor(255, 80, 80) : QColor(240, 240, 255), i % 2 ? 1.2 : 2.2));
    p.drawLine(c + dir * (r - 4), c + dir * (r - (i % 2 ? 9 : 13)));
  }
  const double needle = (225 - 8.6 * 27) * M_PI / 180;
  p.setPen(QPen(QColor(255, 140, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c, c + QPointF(std::cos(needle), -std::sin(needle)) * (r - 8));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 220, 230));
  p.drawEllipse(c, 4, 4);
}

void SpeedStreaks(QPainter& p) {
  for (int i = 0; i < 7; ++i) {
    const double y = 250 + i * 3.5, x = 250 + (i * 37) % 50;
    QLinearGradient streak(x, y, x + 60, y);
    streak.setColorAt(0, QColor(120, 220, 255, 0));
    streak.setColorAt(1, QColor(160, 240, 255, 200));
    p.setPen(QPen(QBrush(streak), 1.1));
    p.drawLine(QPointF(x, y), QPointF(x + 60, y));
  }
}

QImage DecorativePicture(int width = kPictureWidth, int height = kPictureHeight) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(width / kShownWidth, height / kShownHeight);
  Sky(p);
  Ground(p);
  Track(p);
  CheckeredFlag(p);
  StartLights(p);
  Tachometer(p);
  SpeedStreaks(p);
  p.end();
  return image.convertToFormat(QImage::Format_RGB888);  // true colour, no alpha
}

// Button pictures: pixel art on magenta, which the window makes transparent, drawn in the
// coordinates of their 1x size into an image `scale` times as large.
QImage Glyph(int w, int h, int scale) {
  QImage image(w * scale, h * scale, QImage::Format_RGB888);
  image.fill(kMagenta);
  return image;
}

void RightArrow(QPainter& p, int x0, int x1, int y, const QColor& colour) {
  p.fillRect(QRect(x0, y - 1, x1 - x0 - 3, 3), colour);
  for (int i = 0; i < 5; ++i) p.fillRect(QRect(x1 - 4 + i, y - 4 + i, 1, 9 - 2 * i), colour);
}

QImage WriteGlyph(int scale) {
  QImage image = Glyph(24, 16, scale);
  QPainter p(&image);
  p.scale(scale, scale);
  const QColor frame(48, 48, 56), screen(90, 190, 255), stand(120, 120, 130);
  p.fillRect(QRect(1, 1, 12, 10), frame);
  p.fillRect(QRect(2, 2, 10, 8), screen);
  p.fillRect(QRect(3, 3, 4, 1), QColor(220, 245, 255));
  p.fillRect(QRect(6, 11, 2, 2), stand);
  p.fillRect(QRect(3, 13, 8, 2), frame);
  RightArrow(p, 14, 23, 6, QColor(0, 0, 220));
  return image;
}

QImage ReadGlyph(int scale) {
  QImage image = Glyph(24, 16, scale);
  QPainter p(&image);
  p.scale(scale, scale);
  const QColor body(24, 24, 28), pin(190, 190, 200);
  for (int x = 3; x <= 9; x += 2) {
    p.fillRect(QRect(x, 1, 1, 2), pin);
    p.fillRect(QRect(x, 13, 1, 2), pin);
  }
  p.fillRect(QRect(2, 3, 9, 10), body);
  p.fillRect(QRect(3, 4, 1, 1), QColor(200, 200, 60));  // pin-1 mark
  RightArrow(p, 12, 23, 8, QColor(0, 150, 0));
  return image;
}

QImage ExitGlyph(int scale) {
  QImage image = Glyph(24, 14, scale);
  QPainter p(&image);  // no antialiasing: an edge blended with magenta would stay pink
  p.scale(scale, scale);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 0, 0));
  p.drawEllipse(QRect(5, 0, 14, 14));
  p.fillRect(QRect(8, 6, 8, 2), QColor(255, 255, 255));
  return image;
}

// The icon's shapes on a 256-unit tile, drawn into the PNGs and written out as the scalable SVG,
// so every size shows the same picture.
struct IconTile {
  QRectF rect{8, 8, 240, 240};
  double radius = 44;
  QColor top{40, 20, 90}, bottom{200, 50, 100};  // a vertical gradient
};
struct IconShape {
  QPolygonF polygon;  // a flag cell, or empty for a rounded bar
  QRectF bar;
  double radius = 0;
  QColor colour;
};

// A checkered flag across the tile, its pole, and a yellow and a red speed stripe beneath.
std::vector<IconShape> IconShapes() {
  std::vector<IconShape> shapes;
  constexpr int kCells = 5;
  constexpr double kCell = 30, kLeft = 53, kTop = 48;
  for (int c = 0; c < kCells; ++c) {
    for (int r = 0; r < 4; ++r) {
      auto at = [&](double col, double row) {
        return QPointF(kLeft + col * kCell, kTop + row * kCell + 10 * std::sin(col * 1.1));
      };
      IconShape cell;
      cell.polygon << at(c, r) << at(c + 1, r) << at(c + 1, r + 1) << at(c, r + 1);
      cell.colour = (c + r) % 2 ? QColor(20, 20, 24) : QColor(250, 250, 250);
      shapes.push_back(cell);
    }
  }
  shapes.push_back({{}, QRectF(40, 36, 10, 190), 4, QColor(235, 235, 240)});
  shapes.push_back({{}, QRectF(60, 190, 160, 14), 7, QColor(255, 200, 40)});
  shapes.push_back({{}, QRectF(90, 212, 130, 10), 5, QColor(255, 60, 60)});
  return shapes;
}

QImage Icon(int size) {
  QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const IconTile tile;
  QLinearGradient back(0, 0, 0, 256);
  back.setColorAt(0, tile.top);
  back.setColorAt(1, tile.bottom);
  p.setPen(Qt::NoPen);
  p.setBrush(back);
  p.drawRoundedRect(tile.rect, tile.radius, tile.radius);
  for (const IconShape& shape : IconShapes()) {
    p.setBrush(shape.colour);
    if (shape.polygon.isEmpty()) {
      p.drawRoundedRect(shape.bar, shape.radius, shape.radius);
    } else {
      p.drawPolygon(shape.polygon);
    }
  }
  p.end();
  return size == 256 ? image : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString IconSvg() {
  auto n = [](double v) { return QString::number(v, 'g', 7); };
  const IconTile tile;
  QString svg = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
      "  <defs>\n"
      "    <linearGradient id=\"back\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"256\" gradientUnits=\"userSpaceOnUse\">\n");
  svg += QStringLiteral("      <stop offset=\"0\" stop-color=\"%1\"/>\n").arg(tile.top.name());
  svg += QStringLiteral("      <stop offset=\"1\" stop-color=\"%1\"/>\n").arg(tile.bottom.name());
  svg += QStringLiteral("    </linearGradient>\n  </defs>\n");
  auto rect = [&](const QRectF& r, double radius, const QString& fill) {
    return QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
        .arg(n(r.x()), n(r.y()), n(r.width()), n(r.height()), n(radius), fill);
  };
  svg += rect(tile.rect, tile.radius, QStringLiteral("url(#back)"));
  for (const IconShape& shape : IconShapes()) {
    if (shape.polygon.isEmpty()) {
      svg += rect(shape.bar, shape.radius, shape.colour.name());
      continue;
    }
    QStringList points;
    for (const QPointF& point : shape.polygon) points << n(point.x()) + QLatin1Char(',') + n(point.y());
    svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
               .arg(points.join(QLatin1Char(' ')), shape.colour.name());
  }
  return svg + QStringLiteral("</svg>\n");
}

bool Save(const QImage& image, const QDir& dir, const char* name, const char* format = "PNG") {
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (image.save(path, format, 9)) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

bool SaveText(const QString& text, const QDir& dir, const char* name) {
  QFile file(dir.filePath(QString::fromLatin1(name)));
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0 && file.flush()) {
    return true;
  }
  std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  const bool ok =
      Save(DecorativePicture(), dir, "decor.bmp", "BMP") &&
      Save(DecorativePicture(static_cast<int>(2 * kShownWidth), static_cast<int>(2 * kShownHeight)), dir, "decor@2x.png") &&
      Save(WriteGlyph(1), dir, "write.png") && Save(WriteGlyph(2), dir, "write@2x.png") &&
      Save(ReadGlyph(1), dir, "read.png") && Save(ReadGlyph(2), dir, "read@2x.png") &&
      Save(ExitGlyph(1), dir, "exit.png") && Save(ExitGlyph(2), dir, "exit@2x.png") &&
      Save(Icon(256), dir, "icon.png") && SaveText(IconSvg(), dir, "icon.svg");
  bool sizesOk = true;
  for (int size : {16, 32, 48, 64, 128}) {  // the hicolor sizes below 256 that desktops look up
    sizesOk = Save(Icon(size), dir, qPrintable(QStringLiteral("icon-%1.png").arg(size))) && sizesOk;
  }
  return ok && sizesOk ? 0 : 1;
}
