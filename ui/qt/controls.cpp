#include "ui/qt/controls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/qt/artwork.h"
#include "ui/qt/comm_box.h"
#include "ui/qt/fonts.h"
#include "ui/qt/picture.h"

namespace kx71 {
namespace {

void Fill(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetRole(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  if (!colour.isValid()) return;
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

QFont FontOf(const TFontSpec& look, const QFont& inherited) {
  QFont font = inherited;
  if (look.family == TFontSpec::Ui) font = UiFont(look.pixels, look.bold);
  if (look.family == TFontSpec::System) font = SystemFont(look.pixels, look.bold);
  if (look.family == TFontSpec::Window && look.capitals) font = UiFont();
  if (look.bold) font.setBold(true);
  if (look.capitals) font.setCapitalization(QFont::AllUppercase);
  return font;
}

bool HasFont(const TFontSpec& look) {
  return look.family != TFontSpec::Window || look.bold || look.capitals;
}

// The key codes the handlers know; every other key passes as kKeyOther.
int KeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kKeyReturn;
    case Qt::Key_Up:
      return kKeyUp;
    case Qt::Key_Down:
      return kKeyDown;
    default:
      return kKeyOther;
  }
}

QPushButton* MakePictureButton(const TControlDef& def, QWidget* parent) {
  auto* button = new QPushButton(parent);
  const TButtonPicture picture = ButtonPicture(def.resource);
  button->setIcon(picture.icon);
  button->setIconSize(picture.size);
  button->setAccessibleName(QString::fromUtf8(def.accessible));
  button->setAccessibleDescription(QString::fromUtf8(def.description));
  return button;
}

QLabel* MakeComment(const TControlDef& def, QWidget* parent) {
  auto* label = new TQtStaticText(parent, def.rowHeight);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setLineWidth(1);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);  // text beyond the fixed height is cut off
  return label;
}

}  // namespace

QColor FaceColour() {
  return QApplication::palette().color(QPalette::Button);
}
QColor HighlightColour() {
  return QApplication::palette().color(QPalette::Light);
}

QColor ToQColor(const TColour& colour) {
  switch (colour.source) {
    case TColour::Rgb:
      return QColor(colour.r, colour.g, colour.b);
    case TColour::Face:
      return FaceColour();
    case TColour::Highlight:
      return HighlightColour();
    case TColour::None:
      break;
  }
  return {};
}

void TQtPanel::ShowVisible(bool visible) {
  setVisible(visible);
  setEnabled(visible);
}

void TQtLabel::ShowText(const std::string& text) {
  setText(QString::fromStdString(text));
}

void TQtStaticText::ShowText(const std::string& text) {
  setText(QString::fromStdString(text));
}

TQtEdit::TQtEdit(QWidget* parent, TEdit* control) : QLineEdit(parent), control_(control) {
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) { control_->UserTyped(text.toStdString()); });
}

void TQtEdit::ShowText(const std::string& text) {
  setText(QString::fromStdString(text));
}

void TQtEdit::keyPressEvent(QKeyEvent* event) {
  if (!control_->UserKeyDown(KeyCode(event->key()))) {
    event->accept();
    return;
  }
  if (!event->text().isEmpty()) {
    const char16_t typed = event->text().front().unicode();
    // The handlers look at ASCII characters only; any other character stands as DEL.
    if (!control_->UserKeyPress(typed < 0x80 ? static_cast<char>(typed) : '\x7f')) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TQtEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  control_->UserMouseUp();
}

TQtScrollBar::TQtScrollBar(QWidget* parent, TBar* control)
    : QScrollBar(Qt::Horizontal, parent), control_(control) {
  setInvertedControls(false);  // Qt's default makes Left increase a horizontal bar
  setFocusPolicy(Qt::StrongFocus);
  setRange(control->Min(), control->Max());
  setSingleStep(control->Step());
  setPageStep(control->Step());
  connect(this, &QScrollBar::valueChanged, this, [this](int value) {
    if (!echo_) control_->UserMoved(value);
  });
}

void TQtScrollBar::ShowPosition(int position) {
  TEchoGuard echo(echo_);
  setValue(position);
}

TQtOption::TQtOption(QWidget* parent, TOption* control) : QRadioButton(parent), control_(control) {
  connect(this, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !echo_) control_->UserClicked();
  });
}

void TQtOption::ShowChecked(bool checked) {
  TEchoGuard echo(echo_);
  setChecked(checked);
}

void TQtOption::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right) {
    QRadioButton::keyPressEvent(event);
    return;
  }
  // The neighbour takes the focus and is chosen, as a click on it would.
  TOption& next = control_->Neighbour(key == Qt::Key_Down || key == Qt::Key_Right);
  if (auto* w = parentWidget()->findChild<QWidget*>(QString::fromLatin1(next.Name()), Qt::FindDirectChildrenOnly))
    w->setFocus(Qt::TabFocusReason);
  next.UserClicked();
  event->accept();
}

TQtSpeedButton::TQtSpeedButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setFlat(true);
}

void TQtSpeedButton::paintEvent(QPaintEvent* event) {
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

void MeasureCaption(const TControlDef& def, const QFont& windowFont) {
  if (def.caption[0] == '\0') return;
  const QFont font = HasFont(def.font) ? FontOf(def.font, windowFont) : windowFont;
  QFontMetrics(font).boundingRect(QString::fromUtf8(def.caption));
}

QWidget* MakeWidget(const TControlDef& def, QWidget* parent, TControl* control) {
  const QString caption = QString::fromUtf8(def.caption);
  QWidget* w = nullptr;
  switch (def.kind) {
    case TControlKind::Panel: {
      auto* panel = new TQtPanel(parent);
      panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
      panel->setLineWidth(1);
      w = panel;
      break;
    }
    case TControlKind::Caption:
    case TControlKind::FilledLabel:
      w = new TQtLabel(parent);
      break;
    case TControlKind::Picture:
      w = new TQtPicture(parent);
      break;
    case TControlKind::Option:
      w = new TQtOption(parent, static_cast<TOption*>(control));
      static_cast<TQtOption*>(w)->setText(caption);
      break;
    case TControlKind::StaticText:
      w = MakeComment(def, parent);
      break;
    case TControlKind::ComboBox:
      w = new TQtCommBox(parent, def, static_cast<TComboBox*>(control));
      break;
    case TControlKind::PictureButton:
      w = MakePictureButton(def, parent);
      break;
    case TControlKind::FlatButton: {
      auto* button = new TQtSpeedButton(caption, parent);
      button->SetCaptionAtLeftEdge(def.Has(kCaptionAtLeft));
      w = button;
      break;
    }
    case TControlKind::Edit:
      w = new TQtEdit(parent, static_cast<TEdit*>(control));
      if (def.Has(kNoTabStop)) w->setFocusPolicy(Qt::ClickFocus);  // skipped by Tab, still focused by a click
      break;
    case TControlKind::Bar:
      w = new TQtScrollBar(parent, static_cast<TBar*>(control));
      break;
  }
  w->setObjectName(QString::fromLatin1(def.name));
  if (!TakesFocus(def.kind)) w->setFocusPolicy(Qt::NoFocus);
  if (HasFont(def.font)) w->setFont(FontOf(def.font, w->font()));
  if (def.kind == TControlKind::Caption) {
    static_cast<QLabel*>(w)->setText(caption);
    w->move(def.x, def.y);
    w->adjustSize();
  } else {
    w->setGeometry(def.x, def.y, def.w, def.h);
  }
  const QColor colour = ToQColor(def.colour), ink = ToQColor(def.textColour);
  if (def.kind == TControlKind::Edit) {
    SetRole(w, QPalette::Base, colour);
    SetRole(w, QPalette::Text, ink);
  } else {
    if (colour.isValid()) Fill(w, colour);
    SetRole(w, QPalette::ButtonText, ink);
  }
  if (auto* button = qobject_cast<QPushButton*>(w); button && control) {
    auto* logic = static_cast<TButton*>(control);
    QObject::connect(button, &QPushButton::clicked, button, [logic] { logic->UserClicked(); });
  }
  return w;
}

}  // namespace kx71
