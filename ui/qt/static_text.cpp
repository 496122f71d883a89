#include "ui/qt/static_text.h"

#include <QPainter>
#include <QTextLayout>

namespace kx71 {

TStaticText::TStaticText(QWidget* parent, int lineSpacing) : QLabel(parent), lineSpacing_(lineSpacing) {}

void TStaticText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect area = contentsRect();
  painter.setClipRect(area);  // text beyond the box's height is cut off

  // Every kind of line end breaks the line; CR LF is one break.
  QString shown = text();
  shown.replace(QStringLiteral("\r\n"), QChar(QChar::LineSeparator));
  shown.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
  shown.replace(QLatin1Char('\r'), QChar(QChar::LineSeparator));

  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::NoWrap);
  QTextLayout layout(shown, font(), this);
  layout.setTextOption(option);
  layout.beginLayout();
  for (int top = 0;; top += lineSpacing_) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(area.width());
    line.setPosition(QPointF(0, top));
  }
  layout.endLayout();
  painter.setPen(palette().color(foregroundRole()));
  layout.draw(&painter, area.topLeft());
}

}  // namespace kx71
