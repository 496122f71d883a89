#include "ui/main_form.h"

#include <QEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>
#include <string>
#include <vector>

#include "ui/failure_report.h"
#include "ui/fixed_size_keeper.h"
#include "ui/fonts.h"
#include "ui/tag.h"

namespace kx71 {
namespace {

constexpr int kListedPorts = 30;  // COM1..COM30 until the first drop-down

// Connects `signal` to `handler`, which runs under Guarded.
template <class Sender, class Signal, class Handler>
void On(QObject* context, Sender* sender, Signal signal, Handler handler) {
  QObject::connect(sender, signal, context, [handler] { Guarded(handler); });
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : TMainForm(TCommXEnvironment{}, parent) {}

TMainForm::TMainForm(TCommXEnvironment commEnvironment, QWidget* parent)
    : QWidget(parent, Qt::Window), CommX1(mainThread_, std::move(commEnvironment)) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromUtf8(kTitle));
  // Read with the format named, so that no image plugin is probed.
  setWindowIcon(QIcon(QPixmap::fromImage(QImageReader(QStringLiteral(":/kx71/icon-48.png"), "png").read())));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setFont(UiFont());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, FaceColour());
  setPalette(palette);

  CommX1.SetFlowCtrl(cfcNone);
  busy_.SetOnIdle([this] {
    // A close requested while a handler pumped messages: carried out once that handler has returned.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
  });

  CreateControls();
  SetTabOrder();
  WireEvents();
  for (QFrame* panel : Panels()) panel->installEventFilter(this);
  FitToPanels();
  new TFixedSizeKeeper(this);  // the fitted size holds with or without a window manager
  Guarded([this] { FormCreate(); });
  CommBox->setFocus();  // the focus control when the window first shows
}

TMainForm::~TMainForm() = default;  // CommX1 closes an open port before the controls go

QRadioButton* TMainForm::LevelOption(HandicapLevel level) const {
  return levelOptions_[static_cast<std::size_t>(level)];
}

std::array<QFrame*, 17> TMainForm::Panels() const {
  return {Panel1,  Panel2,  Panel3,  Panel4,  Panel5,  Panel6,    Panel7,  Panel8, Panel9,
          Panel10, Panel11, Panel12, Panel13, Panel14, CMD_PANEL, Panel16, Panel15};
}

void TMainForm::SetTabOrder() {
  // Panels in their tab order; inside each, its controls in creation order. Every control joins the
  // chain: Tab passes over those that take no focus from it (labels, unselected options, MON_EDIT).
  const QWidget* panels[] = {Panel14, CMD_PANEL, Panel1,  Panel2,  Panel3,  Panel4,  Panel5,  Panel6, Panel7,
                             Panel8,  Panel9,    Panel10, Panel11, Panel12, Panel13, Panel16, Panel15};
  QWidget* previous = nullptr;
  for (const QWidget* panel : panels) {
    for (QObject* child : panel->children()) {
      auto* control = qobject_cast<QWidget*>(child);
      if (!control) continue;
      if (previous) QWidget::setTabOrder(previous, control);
      previous = control;
    }
  }
}

void TMainForm::WireEvents() {
  On(this, EXIT_BTN, &QPushButton::clicked, [this] { EXIT_BTNClick(); });
  On(this, READ_BTN, &QPushButton::clicked, [this] { READ_BTNClick(); });
  On(this, PROGRAM_BTN, &QPushButton::clicked, [this] { PROGRAM_BTNClick(); });
  On(this, CommBox, &TCommBox::dropDown, [this] { CommBoxDropDown(); });
  On(this, CommBox, &TCommBox::closeUp, [this] { CommBoxCloseUp(); });

  for (QPushButton* b : {YOUID_INC, YOUID_DEC})
    On(this, b, &QPushButton::clicked, [this, b] { YOU_BTNClick(b); });
  for (QPushButton* b : {MYID_INC, MYID_DEC})
    On(this, b, &QPushButton::clicked, [this, b] { MYID_BTNClick(b); });
  YOUID_EDIT->OnKeyDown = [this](QObject* s, int& key) { YOUID_EDITKeyDown(s, key); };
  MYID_EDIT->OnKeyDown = [this](QObject* s, int& key) { MYID_EDITKeyDown(s, key); };
  for (TEdit* edit : {YOUID_EDIT, MYID_EDIT}) {
    edit->OnExit = [this](QObject* s) { ID_Exit(s); };
    edit->OnMouseUp = [this](QObject* s) { EDITMouseUp(s); };
  }

  // Bars: change and leave run the same handler.
  auto wireBar = [this](TScrollBar* bar, void (TMainForm::*handler)(QObject*)) {
    On(this, bar, &QScrollBar::valueChanged, [this, bar, handler] { (this->*handler)(bar); });
    bar->OnExit = [this, handler](QObject* s) { (this->*handler)(s); };
  };
  wireBar(THR_BAR, &TMainForm::BARChange);
  for (TScrollBar* bar : {LAST_BAR, MODE_BAR, UA_BAR, LOW_BAR, HICH_BAR, YOBI1_BAR}) {
    wireBar(bar, &TMainForm::BARChange2);
  }
  wireBar(YOBI2_BAR, &TMainForm::BARChange3);
  for (TEdit* edit : {LAST_EDIT, MODE_EDIT, UA_EDIT, LOW_EDIT, HICH_EDIT, THR_EDIT, YOBI1_EDIT, YOBI2_EDIT}) {
    edit->OnKeyPress = [this](QObject* s, QChar& key) { EDITKeyPress(s, key); };
    edit->OnExit = [this](QObject* s) { EDITExit(s); };
    edit->OnMouseUp = [this](QObject* s) { EDITMouseUp(s); };
  }

  // Level options: a handler runs when its option becomes selected, by a click or from code, and
  // never for the option already selected (Qt's clicked() would also fire then).
  void (TMainForm::*const levelHandlers[kLevelCount])() = {
      &TMainForm::Handy_SClick, &TMainForm::Handy_MClick, &TMainForm::Handy0Click, &TMainForm::Handy1Click,
      &TMainForm::Handy2Click,  &TMainForm::Handy3Click,  &TMainForm::Handy4Click, &TMainForm::Handy5Click,
      &TMainForm::Handy6Click,  &TMainForm::Handy_7Click};
  for (int i = 0; i < kLevelCount; ++i) {
    const auto handler = levelHandlers[i];
    connect(levelOptions_[i], &QRadioButton::toggled, this, [this, handler](bool on) {
      if (on) Guarded([this, handler] { (this->*handler)(); });
    });
  }
}

void TMainForm::FormCreate() {
  // Links between partner controls.
  for (QPushButton* b : {YOUID_DEC, YOUID_INC}) SetPartner(b, YOUID_EDIT);
  const std::pair<TScrollBar*, TEdit*> pairs[] = {
      {LAST_BAR, LAST_EDIT}, {MODE_BAR, MODE_EDIT}, {UA_BAR, UA_EDIT},       {LOW_BAR, LOW_EDIT},
      {HICH_BAR, HICH_EDIT}, {THR_BAR, THR_EDIT},   {YOBI1_BAR, YOBI1_EDIT}, {YOBI2_BAR, YOBI2_EDIT}};
  for (const auto& [bar, edit] : pairs) SetPartner(bar, edit);
  for (QPushButton* b : {MYID_DEC, MYID_INC}) SetPartner(b, MYID_EDIT);
  for (const auto& [bar, edit] : pairs) SetPartner(edit, bar);

  // The port selector until its first drop-down lists the machine's ports.
  std::vector<std::string> entries{"OFF"};
  for (int n = 1; n <= kListedPorts; ++n) entries.push_back("COM" + std::to_string(n));
  CommBox->Assign(entries);
  CommBox->Select(0);

  // Through a real change each, so the bars' handlers fill their edits.
  THR_BAR->setValue(2);
  THR_BAR->setValue(1);
  YOBI1_BAR->setValue(2);
  YOBI1_BAR->setValue(1);
}

void TMainForm::BARChange(QObject* sender) {
  auto* bar = qobject_cast<QScrollBar*>(sender);
  qobject_cast<QLineEdit*>(Partner(bar))->setText(QString::number(bar->value()));
}

void TMainForm::BARChange2(QObject* sender) {
  BARChange(sender);
}

void TMainForm::BARChange3(QObject* sender) {
  auto* bar = qobject_cast<QScrollBar*>(sender);
  qobject_cast<QLineEdit*>(Partner(bar))->setText(QString::number(bar->value() / 2 * 2));
}

void TMainForm::EXIT_BTNClick() {
  close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (busy_.DeferWhileBusy()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TMainForm::setVisible(bool visible) {
  if (visible && !shown_) {
    shown_ = true;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  }
  QWidget::setVisible(visible);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) FitToPanels();
  return QWidget::eventFilter(watched, event);
}

void TMainForm::FitToPanels() {
  QRect extent;
  for (QFrame* panel : Panels()) {
    if (!panel->isHidden()) extent |= panel->geometry();
  }
  setFixedSize(extent.right() + 1, extent.bottom() + 1);
}

}  // namespace kx71
