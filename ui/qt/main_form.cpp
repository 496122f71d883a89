#include "ui/qt/main_form.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include "ui/qt/artwork.h"
#include "ui/qt/failure_report.h"
#include "ui/qt/fixed_size_keeper.h"
#include "ui/qt/fonts.h"

namespace kx71 {

TQtMainForm::TQtMainForm(QWidget* parent) : TQtMainForm(TCommXEnvironment{}, parent) {}

TQtMainForm::TQtMainForm(TCommXEnvironment commEnvironment, QWidget* parent)
    : QWidget(parent, Qt::Window), logic_(std::make_unique<TMainForm>(*this, std::move(commEnvironment))) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromUtf8(kTitle));
  setWindowIcon(QIcon(QPixmap::fromImage(ReadPng(QStringLiteral(":/kx71/icon-48.png")))));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setFont(UiFont());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, FaceColour());
  setPalette(palette);

  // Qt's accessibility makes the first widget wait for the session bus, which may still be
  // connecting (TApplication): the texts that show at start are measured first, as sizing and
  // painting them would anyway.
  for (const auto& c : logic_->Controls()) {
    if (c->Showing()) MeasureCaption(c->Def(), font());
  }
  CreateWidgets();
  FitToPanels();
  new TFixedSizeKeeper(this);  // the fitted size holds with or without a window manager

  // The focus moving to another control of this window leaves the one that had it. Losing the
  // focus with the whole window (another window activated, a popup) is not leaving.
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (TControl* control = controls_.value(now)) logic_->UserFocused(*control);
  });
  TComboBox& box = logic_->CommBox;
  auto* commBox = qobject_cast<TQtCommBox*>(Widget(box));
  connect(commBox, &TQtCommBox::dropDown, this, [&box] { box.UserDropDown(); });
  connect(commBox, &TQtCommBox::closeUp, this, [commBox, &box] { box.UserCloseUp(commBox->currentIndex()); });

  logic_->Create();
}

TQtMainForm::~TQtMainForm() {
  // The widgets go while the controls they show still stand, and no focus change on the way out
  // reaches the logic; then the logic, whose CommX1 closes an open port.
  disconnect(focusWatch_);
  for (const TPanel* panel : logic_->Panels) delete widgets_.value(panel);
  widgets_.clear();
  controls_.clear();
  logic_.reset();
}

namespace {

// The panel a control lies on (itself for a panel).
const TControl& PanelOf(const TControl& control) {
  const TControl* c = &control;
  while (c->Parent() != nullptr) c = c->Parent();
  return *c;
}

}  // namespace

void TQtMainForm::CreateWidgets() {
  // Nothing shows a hidden panel at start: its widgets (and their fonts) wait until something does.
  for (const auto& c : logic_->Controls()) {
    if (auto* panel = dynamic_cast<TPanel*>(c.get()); panel && !panel->Visible()) {
      latePanels_.push_back(std::make_unique<TLatePanel>(*this, *panel));
      panel->Bind(latePanels_.back().get());
    } else if (widgets_.contains(&PanelOf(*c)) || c->Parent() == nullptr) {
      MakeBound(*c);
    }
  }
}

QWidget* TQtMainForm::MakeBound(TControl& control, bool bind) {
  const TControl* parentControl = control.Parent();
  QWidget* parent = parentControl ? widgets_.value(parentControl) : this;
  QWidget* w = MakeWidget(control.Def(), parent, &control);
  widgets_.insert(&control, w);
  controls_.insert(w, &control);
  if (control.Kind() == TControlKind::Panel) w->installEventFilter(this);
  if (bind) BindView(control, w);
  return w;
}

void TQtMainForm::MakePanel(TPanel& panel) {
  if (widgets_.contains(&panel)) return;
  // Bound last: a panel that shows then shows its controls with it.
  QWidget* made = MakeBound(panel, false);
  for (const auto& c : logic_->Controls()) {
    if (c->Parent() == &panel) MakeBound(*c);
  }
  // Later panels in the table lie above it.
  bool after = false;
  for (const auto& c : logic_->Controls()) {
    if (c.get() == &panel) after = true;
    QWidget* w = widgets_.value(c.get());
    if (after && w && w != made && c->Kind() == TControlKind::Panel) {
      made->stackUnder(w);
      break;
    }
  }
  BindView(panel, made);
}

QWidget* TQtMainForm::Widget(const TControl& control) {
  if (!widgets_.contains(&control)) {
    if (auto* panel = dynamic_cast<TPanel*>(logic_->Find(PanelOf(control).Name()))) MakePanel(*panel);
  }
  return widgets_.value(&control);
}

bool TQtMainForm::focusNextPrevChild(bool next) {
  TControl* to = logic_->TabNext(controls_.value(QApplication::focusWidget()), next);
  QWidget* w = to ? Widget(*to) : nullptr;
  if (!w) return false;
  w->setFocus(Qt::TabFocusReason);
  return true;
}

void TQtMainForm::FocusControl(TControl& control) {
  if (QWidget* w = Widget(control)) w->setFocus();
}

void TQtMainForm::CloseWindow() {
  close();
}

void TQtMainForm::PostCloseWindow() {
  QMetaObject::invokeMethod(
      this, [this] { close(); }, Qt::QueuedConnection);
}

std::string TQtMainForm::ProgramFileName() {
  return kx71::ProgramFileName();
}

void TQtMainForm::ShowFailureBox(const std::string& caption, const std::string& text) {
  kx71::ShowFailureBox(caption, text);
}

void TQtMainForm::closeEvent(QCloseEvent* event) {
  if (!logic_->CloseQuery()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TQtMainForm::setVisible(bool visible) {
  if (visible && !shown_) {
    shown_ = true;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  }
  QWidget::setVisible(visible);
}

bool TQtMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) FitToPanels();
  return QWidget::eventFilter(watched, event);
}

void TQtMainForm::FitToPanels() {
  const TSize size = logic_->ClientSize();
  setFixedSize(size.width, size.height);
}

}  // namespace kx71
