// A bordered static text whose word-wrapped lines sit a fixed distance apart, whatever face stands
// in for the named font: the window's texts are measured for 12-pixel lines, and a face with taller
// lines would push the last line of a message below the bottom edge.
#pragma once

#include <QLabel>

namespace kx71 {

class TStaticText : public QLabel {
  Q_OBJECT

 public:
  explicit TStaticText(QWidget* parent = nullptr, int lineSpacing = 12);

  int LineSpacing() const { return lineSpacing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int lineSpacing_;
};

}  // namespace kx71
