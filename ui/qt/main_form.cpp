#include "ui/qt/main_form.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>

#include "ui/qt/failure_report.h"
#include "ui/qt/fixed_size_keeper.h"
#include "ui/qt/fonts.h"

namespace kx71 {

TQtMainForm::TQtMainForm(QWidget* parent) : TQtMainForm(TCommXEnvironment{}, parent) {}

TQtMainForm::TQtMainForm(TCommXEnvironment commEnvironment, QWidget* parent)
    : QWidget(parent, Qt::Window), logic_(std::make_unique<TMainForm>(*this, std::move(commEnvironment))) {
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

  CreateWidgets();
  NameWidgets();
  for (const TPanel* panel : logic_->Panels) Widget(*panel)->installEventFilter(this);
  FitToPanels();
  new TFixedSizeKeeper(this);  // the fitted size holds with or without a window manager

  // The focus moving to another control of this window leaves the one that had it. Losing the
  // focus with the whole window (another window activated, a popup) is not leaving.
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (TControl* control = controls_.value(now)) logic_->UserFocused(*control);
  });
  TComboBox& box = logic_->CommBox;
  connect(CommBox, &TQtCommBox::dropDown, this, [&box] { box.UserDropDown(); });
  connect(CommBox, &TQtCommBox::closeUp, this, [this, &box] { box.UserCloseUp(CommBox->currentIndex()); });

  logic_->Create();
}

TQtMainForm::~TQtMainForm() {
  // The widgets go while the controls they show still stand, and no focus change on the way out
  // reaches the logic; then the logic, whose CommX1 closes an open port.
  disconnect(focusWatch_);
  for (const TPanel* panel : logic_->Panels) delete Widget(*panel);
  widgets_.clear();
  controls_.clear();
  logic_.reset();
}

void TQtMainForm::CreateWidgets() {
  for (const auto& c : logic_->Controls()) {
    const TControlDef& def = c->Def();
    const TControl* parentControl = logic_->Find(def.parent);
    QWidget* parent = parentControl ? Widget(*parentControl) : this;
    QWidget* w = MakeWidget(def, parent, c.get());
    widgets_.insert(c.get(), w);
    controls_.insert(w, c.get());
    BindView(*c, w);
  }
}

void TQtMainForm::NameWidgets() {
  auto pick = [this](auto*& member, const char* name) {
    using W = std::remove_reference_t<decltype(*member)>;
    member = qobject_cast<W*>(widgets_.value(logic_->Find(name)));
  };
  for (auto [member, name] : {std::pair{&Panel15, "Panel15"}, {&Panel1, "Panel1"}, {&Panel2, "Panel2"},
                              {&Panel3, "Panel3"}, {&Panel4, "Panel4"}, {&Panel5, "Panel5"}, {&Panel6, "Panel6"},
                              {&Panel7, "Panel7"}, {&Panel8, "Panel8"}, {&Panel9, "Panel9"},
                              {&Panel10, "Panel10"}, {&Panel11, "Panel11"}, {&Panel12, "Panel12"},
                              {&Panel13, "Panel13"}}) {
    pick(*member, name);
  }
  for (auto [member, name] : {std::pair{&Image1, "Image1"}, {&Label15, "Label15"}, {&Label25, "Label25"},
                              {&Label26, "Label26"}, {&K_Comment, "K_Comment"}}) {
    pick(*member, name);
  }
  for (auto [member, name] :
       {std::pair{&Handy_S, "Handy_S"}, {&Handy_M, "Handy_M"}, {&Handy0, "Handy0"}, {&Handy1, "Handy1"},
        {&Handy3, "Handy3"}, {&Handy4, "Handy4"}, {&Handy6, "Handy6"}, {&Handy_7, "Handy_7"},
        {&OT_ON, "OT_ON"}, {&OT_OFF, "OT_OFF"}, {&MAS_ON, "MAS_ON"}, {&MAS_OFF, "MAS_OFF"},
        {&BUP_00h, "BUP_00h"}, {&BUP_5Ah, "BUP_5Ah"}}) {
    pick(*member, name);
  }
  pick(CommBox, "CommBox");
  for (auto [member, name] :
       {std::pair{&PROGRAM_BTN, "PROGRAM_BTN"}, {&READ_BTN, "READ_BTN"}, {&EXIT_BTN, "EXIT_BTN"},
        {&YOUID_DEC, "YOUID_DEC"}, {&YOUID_INC, "YOUID_INC"}, {&MYID_DEC, "MYID_DEC"}, {&MYID_INC, "MYID_INC"}}) {
    pick(*member, name);
  }
  for (auto [member, name] :
       {std::pair{&THR_BAR, "THR_BAR"}, {&YOBI1_BAR, "YOBI1_BAR"}, {&YOBI2_BAR, "YOBI2_BAR"},
        {&LAST_BAR, "LAST_BAR"}, {&MODE_BAR, "MODE_BAR"}, {&UA_BAR, "UA_BAR"}, {&LOW_BAR, "LOW_BAR"},
        {&HICH_BAR, "HICH_BAR"}}) {
    pick(*member, name);
  }
  for (auto [member, name] :
       {std::pair{&MON_EDIT, "MON_EDIT"}, {&THR_EDIT, "THR_EDIT"}, {&YOBI1_EDIT, "YOBI1_EDIT"},
        {&YOBI2_EDIT, "YOBI2_EDIT"}, {&LAST_EDIT, "LAST_EDIT"}, {&MODE_EDIT, "MODE_EDIT"},
        {&UA_EDIT, "UA_EDIT"}, {&LOW_EDIT, "LOW_EDIT"}, {&HICH_EDIT, "HICH_EDIT"},
        {&YOUID_EDIT, "YOUID_EDIT"}, {&MYID_EDIT, "MYID_EDIT"}}) {
    pick(*member, name);
  }
}

QRadioButton* TQtMainForm::LevelOption(HandicapLevel level) const {
  return qobject_cast<QRadioButton*>(Widget(logic_->LevelOption(level)));
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
