// The controls the window is built from, with the events and behaviours it relies on that stock Qt
// widgets lack or do differently, and the factories that give each its name, bounds and colours.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QString>
#include <functional>

namespace kx71 {

// Fixed colours of the window.
inline const QColor kSkyBlue{166, 202, 240};
inline const QColor kMediumGrey{160, 160, 164};
inline const QColor kYellow{255, 255, 0};
inline const QColor kLime{0, 255, 0};
inline const QColor kBlue{0, 0, 255};
inline const QColor kGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kShadow{210, 24, 48};  // the empty opaque labels behind the options and the comment

// The system's button-face and button-highlight colours.
QColor FaceColour();
QColor HighlightColour();

using TNotifyEvent = std::function<void(QObject* sender)>;
using TKeyEvent = std::function<void(QObject* sender, int& key)>;         // Qt key code; 0 consumes
using TKeyPressEvent = std::function<void(QObject* sender, QChar& key)>;  // typed character; 0 consumes

// A single-line edit with key-down, character, leave and mouse-up events. Each event's handler runs
// under Guarded, so a failure is reported and the edit goes on.
class TEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TEdit(QWidget* parent) : QLineEdit(parent) {}

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnExit;  // focus moved to another control of the window
  TNotifyEvent OnMouseUp;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A horizontal scroll bar whose keys move as the arrows point, with a leave event. Setting a
// position limits it to the range; valueChanged is emitted only on a real change.
class TScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit TScrollBar(QWidget* parent);

  TNotifyEvent OnExit;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

// A flat push button with a text caption, which never takes the focus (so the editor it steps
// keeps it until the handler moves it); its caption may sit at the left edge.
class TSpeedButton : public QPushButton {
  Q_OBJECT

 public:
  TSpeedButton(const QString& caption, QWidget* parent);
  void SetCaptionAtLeftEdge(bool atLeft) { atLeft_ = atLeft; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool atLeft_ = false;
};

// Selects `option` as a click would: when it was not selected, the others of its group are
// unselected and its handler (wired to toggled(true)) runs; when it was, nothing happens.
inline void SelectOption(QRadioButton* option) {
  option->setChecked(true);
}

// Factories: each names the control, places it at `x, y, w, h` in its parent and applies its look.
// A panel: raised one-pixel bevel, no border or caption, filled with `colour`.
QFrame* MakePanel(QWidget* parent, const char* name, int x, int y, int w, int h, const QColor& colour);
// A label sized to its caption at `x, y`.
QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text, int x, int y);
// An empty opaque label filled with `colour`.
QLabel* MakeFilledLabel(QWidget* parent, const char* name, int x, int y, int w, int h, const QColor& colour);
QRadioButton* MakeOption(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                         int h);
TEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w, int h);
TScrollBar* MakeBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min, int max,
                    int step = 1);
// A flat push button with a text caption in its own font and colour.
TSpeedButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                             int h, const QFont& font, const QColor& textColour);
// A button showing the picture at `resource` (its bottom-left pixel colour is transparent) and no
// caption; `accessibleName` and `description` tell assistive tools what it does.
QPushButton* MakePictureButton(QWidget* parent, const char* name, const QString& resource, int x, int y,
                               int w, int h, const QColor& fontColour, const QString& accessibleName,
                               const QString& description);

// Shows or hides a panel. A hidden panel hides everything on it and its controls take no clicks,
// keys or focus (Qt would still let code focus a control of a hidden panel, so it is also disabled).
void SetPanelShown(QWidget* panel, bool shown);

}  // namespace kx71
