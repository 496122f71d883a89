// Value editing: the identifier editors and their spin buttons, the bar-and-edit pairs, and the
// level options.
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

#include "protocol/int_text.h"
#include "ui/main_form.h"
#include "ui/tag.h"

namespace kx71 {
namespace {

QLineEdit* AsEdit(QObject* control) {
  return qobject_cast<QLineEdit*>(control);
}

bool IsReturn(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

void TMainForm::YOU_BTNClick(QObject* sender) {
  StepIdentifier(sender);
}

void TMainForm::MYID_BTNClick(QObject* sender) {
  StepIdentifier(sender);
}

void TMainForm::StepIdentifier(QObject* sender) {
  // Steps from the stored value; text typed but not yet taken by ID_Exit is lost.
  QLineEdit* edit = AsEdit(Partner(sender));
  edit->setFocus();
  std::int32_t n = Tag(edit);
  const bool up = sender == YOUID_INC || sender == MYID_INC;
  if (up && n < static_cast<std::int32_t>(kMaxIdentifier)) {
    ++n;
  } else if (!up && n > 0) {
    --n;
  }
  SetTag(edit, n);
  edit->setText(QString::number(n));
  edit->selectAll();
}

void TMainForm::YOUID_EDITKeyDown(QObject* sender, int& key) {
  IdentifierKey(sender, key, YOUID_INC, YOUID_DEC);
}

void TMainForm::MYID_EDITKeyDown(QObject* sender, int& key) {
  IdentifierKey(sender, key, MYID_INC, MYID_DEC);
}

void TMainForm::IdentifierKey(QObject* sender, int& key, QPushButton* inc, QPushButton* dec) {
  if (IsReturn(key)) {
    ID_Exit(sender);
  } else if (key == Qt::Key_Up) {
    StepIdentifier(inc);
  } else if (key == Qt::Key_Down) {
    StepIdentifier(dec);
  } else {
    return;
  }
  key = 0;
}

void TMainForm::ID_Exit(QObject* sender) {
  QLineEdit* edit = AsEdit(sender);
  const std::int32_t typed = StrToIntDef(edit->text().toStdString(), Tag(edit));
  const std::int32_t n = std::clamp(typed, 0, static_cast<std::int32_t>(kMaxIdentifier));
  SetTag(edit, n);
  edit->setText(QString::number(n));
}

void TMainForm::EDITKeyPress(QObject* sender, QChar& key) {
  if (key == u'\r') EDITExit(sender);  // the character goes on to the edit
}

void TMainForm::EDITExit(QObject* sender) {
  QLineEdit* edit = AsEdit(sender);
  auto* bar = qobject_cast<QScrollBar*>(Partner(edit));
  bar->setValue(StrToIntDef(edit->text().toStdString(), bar->value()));  // limited to the range
  BARChange(bar);  // the edit shows the position, for YOBI2 unrounded
}

void TMainForm::EDITMouseUp(QObject* sender) {
  AsEdit(sender)->selectAll();
}

void TMainForm::LevelClick(HandicapLevel level) {
  const LevelInfo& info = Info(level);
  K_Comment->setText(QString::fromUtf8(info.message));
  THR_BAR->setValue(info.preset);
}

void TMainForm::Handy_SClick() {
  LevelClick(HandicapLevel::Handy_S);
}
void TMainForm::Handy_MClick() {
  LevelClick(HandicapLevel::Handy_M);
}
void TMainForm::Handy0Click() {
  LevelClick(HandicapLevel::Handy0);
}
void TMainForm::Handy1Click() {
  LevelClick(HandicapLevel::Handy1);
}
void TMainForm::Handy2Click() {
  LevelClick(HandicapLevel::Handy2);
}
void TMainForm::Handy3Click() {
  LevelClick(HandicapLevel::Handy3);
}
void TMainForm::Handy4Click() {
  LevelClick(HandicapLevel::Handy4);
}
void TMainForm::Handy5Click() {
  LevelClick(HandicapLevel::Handy5);
}
void TMainForm::Handy6Click() {
  LevelClick(HandicapLevel::Handy6);
}
void TMainForm::Handy_7Click() {
  LevelClick(HandicapLevel::Handy_7);
}

}  // namespace kx71
