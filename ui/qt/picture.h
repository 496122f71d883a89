// The decorative picture (Image1): the artwork made at the control's size, painted one device
// pixel to one, chosen for the screen the window is on when it paints.
#pragma once

#include <QImage>
#include <QWidget>

namespace kx71 {

class TQtPicture : public QWidget {
  Q_OBJECT
 public:
  explicit TQtPicture(QWidget* parent) : QWidget(parent) {}

  // What the widget paints at its device pixel ratio now: made the first time it is asked for
  // there, and again only after the ratio changes (another screen, another scale).
  const QImage& Shown();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage shown_;
};

}  // namespace kx71
