#include "ui/controls.h"

#include <QApplication>
#include <QBitmap>
#include <QFocusEvent>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QPalette>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/failure_report.h"

namespace kx71 {
namespace {

bool LeavesForAnotherControl(const QFocusEvent* event) {
  // Losing the focus with the whole window (another window activated, a popup) is not leaving.
  return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

void Fill(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

template <class W>
W* Named(W* widget, const char* name, int x, int y, int w, int h) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

}  // namespace

QColor FaceColour() {
  return QApplication::palette().color(QPalette::Button);
}
QColor HighlightColour() {
  return QApplication::palette().color(QPalette::Light);
}

void TEdit::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyDown) Guarded([&] { OnKeyDown(this, key); });
  if (key == 0) {
    event->accept();
    return;
  }
  if (OnKeyPress && !event->text().isEmpty()) {
    QChar typed = event->text().front();
    Guarded([&] { OnKeyPress(this, typed); });
    if (typed.isNull()) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (OnExit && LeavesForAnotherControl(event)) Guarded([&] { OnExit(this); });
}

void TEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (OnMouseUp) Guarded([&] { OnMouseUp(this); });
}

TScrollBar::TScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setInvertedControls(false);  // Qt's default makes Left increase a horizontal bar
  setFocusPolicy(Qt::StrongFocus);
}

void TScrollBar::focusOutEvent(QFocusEvent* event) {
  QScrollBar::focusOutEvent(event);
  if (OnExit && LeavesForAnotherControl(event)) Guarded([&] { OnExit(this); });
}

QFrame* MakePanel(QWidget* parent, const char* name, int x, int y, int w, int h, const QColor& colour) {
  auto* panel = Named(new QFrame(parent), name, x, y, w, h);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  Fill(panel, colour);
  return panel;
}

QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLabel* MakeFilledLabel(QWidget* parent, const char* name, int x, int y, int w, int h, const QColor& colour) {
  auto* label = Named(new QLabel(parent), name, x, y, w, h);
  Fill(label, colour);
  return label;
}

QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                         int h) {
  auto* option = Named(new QRadioButton(caption, parent), name, x, y, w, h);
  Fill(option, FaceColour());
  // Tab enters a group at its selected option only; the arrow keys move within the group.
  auto tabStopWhenSelected = [option](bool selected) {
    option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
  };
  tabStopWhenSelected(false);
  QObject::connect(option, &QRadioButton::toggled, option, tabStopWhenSelected);
  return option;
}

TEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w, int h) {
  return Named(new TEdit(parent), name, x, y, w, h);
}

TScrollBar* MakeBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min, int max,
                    int step) {
  auto* bar = Named(new TScrollBar(parent), name, x, y, w, h);
  bar->setRange(min, max);
  bar->setSingleStep(step);
  bar->setPageStep(step);
  return bar;
}

TSpeedButton::TSpeedButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setFlat(true);
  setFocusPolicy(Qt::NoFocus);
}

void TSpeedButton::paintEvent(QPaintEvent* event) {
  if (!atLeft_) {
    QPushButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);  // the flat face, sunken while pressed
  painter.drawItemText(rect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), text(),
                       QPalette::ButtonText);
}

TSpeedButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                             int h, const QFont& font, const QColor& textColour) {
  auto* button = Named(new TSpeedButton(caption, parent), name, x, y, w, h);
  button->setFont(font);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, textColour);
  button->setPalette(palette);
  return button;
}

QPushButton* MakePictureButton(QWidget* parent, const char* name, const QString& resource, int x, int y,
                               int w, int h, const QColor& fontColour, const QString& accessibleName,
                               const QString& description) {
  auto* button = Named(new QPushButton(parent), name, x, y, w, h);
  QImageReader reader(resource, "png");  // named, so that no image plugin is probed
  const QImage image = reader.read();
  QPixmap picture = QPixmap::fromImage(image);
  const QRgb transparent = image.pixel(0, image.height() - 1);
  picture.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent, Qt::MaskInColor)));
  button->setIcon(QIcon(picture));
  button->setIconSize(picture.size());
  QFont font = button->font();
  font.setBold(true);
  button->setFont(font);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, fontColour);
  button->setPalette(palette);
  button->setAccessibleName(accessibleName);
  button->setAccessibleDescription(description);
  return button;
}

void SetPanelShown(QWidget* panel, bool shown) {
  panel->setVisible(shown);
  panel->setEnabled(shown);
}

}  // namespace kx71
