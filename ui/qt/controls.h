// The Qt widgets that carry the window's controls: each shows the state of its control in the
// window's logic (ui/form/controls.h) through that control's view interface, and passes the user's
// actions to it. Widgets are built from the layout table by MakeWidget.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "ui/form/controls.h"
#include "ui/form/layout.h"
#include "ui/qt/static_text.h"

namespace kx71 {

// A layout colour on Qt; an invalid QColor for kNoColour.
QColor ToQColor(const TColour& colour);
// The system's button-face and button-highlight colours.
QColor FaceColour();
QColor HighlightColour();

// Echo guard: while set, signals the widget emits for a change made by the logic are not user
// actions.
class TEchoGuard {
 public:
  explicit TEchoGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~TEchoGuard() { flag_ = was_; }
  TEchoGuard(const TEchoGuard&) = delete;
  TEchoGuard& operator=(const TEchoGuard&) = delete;

 private:
  bool& flag_;
  bool was_;
};

class TQtPanel : public QFrame, public TPanel::View {
  Q_OBJECT
 public:
  explicit TQtPanel(QWidget* parent) : QFrame(parent) {}
  // A hidden panel's controls take no clicks, keys or focus: Qt would still let code focus a
  // control of a hidden panel, so it is also disabled.
  void ShowVisible(bool visible) override;
};

class TQtLabel : public QLabel, public TLabel::View {
  Q_OBJECT
 public:
  explicit TQtLabel(QWidget* parent) : QLabel(parent) {}
  void ShowText(const std::string& text) override;
};

// The comment box: lines the layout's line height apart, whatever face stands in.
class TQtStaticText : public TStaticText, public TLabel::View {
  Q_OBJECT
 public:
  TQtStaticText(QWidget* parent, int lineHeight) : TStaticText(parent, lineHeight) {}
  void ShowText(const std::string& text) override;
};

class TQtEdit : public QLineEdit, public TEdit::View {
  Q_OBJECT
 public:
  TQtEdit(QWidget* parent, TEdit* control);
  void ShowText(const std::string& text) override;
  void SelectAll() override { selectAll(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TEdit* control_;
};

// A horizontal scroll bar whose keys move as the arrows point.
class TQtScrollBar : public QScrollBar, public TBar::View {
  Q_OBJECT
 public:
  TQtScrollBar(QWidget* parent, TBar* control);
  void ShowPosition(int position) override;

 private:
  TBar* control_;
  bool echo_ = false;
};

// A radio option. Qt's clicked() also fires for the option already selected, so a user's choice is
// taken from toggled(true), and the logic ignores the selected one. The arrow keys go to the
// logic's neighbour in the group rather than to Qt's.
class TQtOption : public QRadioButton, public TOption::View {
  Q_OBJECT
 public:
  TQtOption(QWidget* parent, TOption* control);
  void ShowChecked(bool checked) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TOption* control_;
  bool echo_ = false;
};

// A flat push button with a text caption (which, as the logic says, never takes the focus); its
// caption may sit at the left edge.
class TQtSpeedButton : public QPushButton {
  Q_OBJECT
 public:
  TQtSpeedButton(const QString& caption, QWidget* parent);
  void SetCaptionAtLeftEdge(bool atLeft) { atLeft_ = atLeft; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool atLeft_ = false;
};

// Measures `def`'s caption in the font its widget shows it in (within a window whose font is
// `windowFont`): the first use of each face and size (finding, opening and shaping with it) is done
// then rather than when the widget is sized or first painted.
void MeasureCaption(const TControlDef& def, const QFont& windowFont);

// The widget for `def` on `parent`, named, placed and styled as the row says, showing and driving
// `control` (nullptr for rows without state: filled labels, the picture).
QWidget* MakeWidget(const TControlDef& def, QWidget* parent, TControl* control);

}  // namespace kx71
