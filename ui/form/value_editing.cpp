// Value editing: the identifier editors and their spin buttons, the bar-and-edit pairs, and the
// level options.
#include <algorithm>

#include "text/int_text.h"
#include "ui/form/main_form.h"

namespace kx71 {

void TMainForm::YOU_BTNClick(TControl& sender) {
  StepIdentifier(sender);
}

void TMainForm::MYID_BTNClick(TControl& sender) {
  StepIdentifier(sender);
}

void TMainForm::StepIdentifier(TControl& sender) {
  // Steps from the stored value; text typed but not yet taken by ID_Exit is lost.
  auto& edit = dynamic_cast<TEdit&>(*sender.Partner());
  SetFocus(edit);
  std::int32_t n = edit.Tag();
  const bool up = &sender == &YOUID_INC || &sender == &MYID_INC;
  if (up && n < static_cast<std::int32_t>(kMaxIdentifier)) {
    ++n;
  } else if (!up && n > 0) {
    --n;
  }
  edit.SetTag(n);
  edit.SetText(std::to_string(n));
  edit.SelectAll();
}

void TMainForm::YOUID_EDITKeyDown(TControl& sender, int& key) {
  IdentifierKey(sender, key, YOUID_INC, YOUID_DEC);
}

void TMainForm::MYID_EDITKeyDown(TControl& sender, int& key) {
  IdentifierKey(sender, key, MYID_INC, MYID_DEC);
}

void TMainForm::IdentifierKey(TControl& sender, int& key, TControl& inc, TControl& dec) {
  if (key == kKeyReturn) {
    ID_Exit(sender);
  } else if (key == kKeyUp) {
    StepIdentifier(inc);
  } else if (key == kKeyDown) {
    StepIdentifier(dec);
  } else {
    return;
  }
  key = 0;
}

void TMainForm::ID_Exit(TControl& sender) {
  auto& edit = dynamic_cast<TEdit&>(sender);
  const std::int32_t typed = StrToIntDef(edit.Text(), edit.Tag());
  const std::int32_t n = std::clamp(typed, 0, static_cast<std::int32_t>(kMaxIdentifier));
  edit.SetTag(n);
  edit.SetText(std::to_string(n));
}

void TMainForm::EDITKeyPress(TControl& sender, char& key) {
  if (key == '\r') EDITExit(sender);  // the character goes on to the edit
}

void TMainForm::EDITExit(TControl& sender) {
  auto& edit = dynamic_cast<TEdit&>(sender);
  auto& bar = dynamic_cast<TBar&>(*edit.Partner());
  bar.SetPosition(StrToIntDef(edit.Text(), bar.Position()));  // limited to the range
  BARChange(bar);  // the edit shows the position, for YOBI2 unrounded
}

void TMainForm::EDITMouseUp(TControl& sender) {
  dynamic_cast<TEdit&>(sender).SelectAll();
}

void TMainForm::LevelClick(HandicapLevel level) {
  const LevelInfo& info = Info(level);
  K_Comment.SetText(info.message);
  THR_BAR.SetPosition(info.preset);
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
