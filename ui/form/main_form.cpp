#include "ui/form/main_form.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "ui/form/failure_text.h"

namespace kx71 {
namespace {

constexpr int kListedPorts = 30;  // COM1..COM30 until the first drop-down

std::unique_ptr<TControl> MakeControl(const TControlDef& def) {
  switch (def.kind) {
    case TControlKind::Panel:
      return std::make_unique<TPanel>(def);
    case TControlKind::Caption:
    case TControlKind::StaticText:
      return std::make_unique<TLabel>(def);
    case TControlKind::Option:
      return std::make_unique<TOption>(def);
    case TControlKind::ComboBox:
      return std::make_unique<TComboBox>(def);
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      return std::make_unique<TButton>(def);
    case TControlKind::Edit:
      return std::make_unique<TEdit>(def);
    case TControlKind::Bar:
      return std::make_unique<TBar>(def);
    case TControlKind::FilledLabel:
    case TControlKind::Picture:
      break;
  }
  return std::make_unique<TControl>(def);
}

std::vector<std::unique_ptr<TControl>> MakeControls() {
  std::vector<std::unique_ptr<TControl>> controls;
  for (const TControlDef& def : Layout()) controls.push_back(MakeControl(def));
  return controls;
}

// Tab stops: the showing controls that take the focus, but those the layout leaves out. An option
// group is entered at its selected option only.
bool TakesTab(const TControl& c) {
  if (!c.Showing() || !TakesFocus(c.Kind()) || c.Def().Has(kNoTabStop)) return false;
  return c.Kind() != TControlKind::Option || static_cast<const TOption&>(c).Checked();
}

}  // namespace

void TMainForm::TBusyMainThread::ProcessMessages() {
  TBusyDepth::TGuard guard(busy_);
  inner_.ProcessMessages();
}

TMainForm::TMainForm(TFormHost& host, TCommXEnvironment commEnvironment)
    : host_(host), controls_(MakeControls()), CommX1(mainThread_, std::move(commEnvironment)) {
  for (const auto& c : controls_) c->Attach(Find(c->Def().parent), this);
  // The options of each parent form one group.
  for (const auto& c : controls_) {
    if (c->Kind() != TControlKind::Option) continue;
    std::vector<TOption*> group;
    for (const auto& other : controls_) {
      if (other->Kind() == TControlKind::Option && other->Parent() == c->Parent()) {
        group.push_back(static_cast<TOption*>(other.get()));
      }
    }
    static_cast<TOption*>(c.get())->SetGroup(std::move(group));
  }
  CommX1.SetFlowCtrl(cfcNone);
  // A close requested while a handler pumped messages: carried out once that handler has returned.
  busy_.SetOnIdle([this] { host_.PostCloseWindow(); });
  Wire();
}

TMainForm::~TMainForm() = default;

TControl* TMainForm::Find(std::string_view name) const {
  for (const auto& c : controls_) {
    if (name == c->Name()) return c.get();
  }
  return nullptr;
}

void TMainForm::Missing(std::string_view name) {
  throw std::logic_error("the layout lacks a control the window needs: " + std::string(name));
}

TOption& TMainForm::LevelOption(HandicapLevel level) const {
  return Get<TOption>(Info(level).name);
}

void TMainForm::Wire() {
  EXIT_BTN.OnClick = [this](TControl&) { EXIT_BTNClick(); };
  READ_BTN.OnClick = [this](TControl&) { READ_BTNClick(); };
  PROGRAM_BTN.OnClick = [this](TControl&) { PROGRAM_BTNClick(); };
  CommBox.OnDropDown = [this](TControl&) { CommBoxDropDown(); };
  CommBox.OnCloseUp = [this](TControl&) { CommBoxCloseUp(); };

  for (TButton* b : {&YOUID_INC, &YOUID_DEC}) b->OnClick = [this](TControl& s) { YOU_BTNClick(s); };
  for (TButton* b : {&MYID_INC, &MYID_DEC}) b->OnClick = [this](TControl& s) { MYID_BTNClick(s); };
  YOUID_EDIT.OnKeyDown = [this](TControl& s, int& key) { YOUID_EDITKeyDown(s, key); };
  MYID_EDIT.OnKeyDown = [this](TControl& s, int& key) { MYID_EDITKeyDown(s, key); };
  for (TEdit* edit : {&YOUID_EDIT, &MYID_EDIT}) {
    edit->OnExit = [this](TControl& s) { ID_Exit(s); };
    edit->OnMouseUp = [this](TControl& s) { EDITMouseUp(s); };
  }

  // Bars: change and leave run the same handler.
  auto wireBar = [this](TBar& bar, void (TMainForm::*handler)(TControl&)) {
    bar.OnChange = [this, handler](TControl& s) { (this->*handler)(s); };
    bar.OnExit = bar.OnChange;
  };
  wireBar(THR_BAR, &TMainForm::BARChange);
  for (TBar* bar : {&LAST_BAR, &MODE_BAR, &UA_BAR, &LOW_BAR, &HICH_BAR, &YOBI1_BAR}) {
    wireBar(*bar, &TMainForm::BARChange2);
  }
  wireBar(YOBI2_BAR, &TMainForm::BARChange3);
  for (TEdit* edit :
       {&LAST_EDIT, &MODE_EDIT, &UA_EDIT, &LOW_EDIT, &HICH_EDIT, &THR_EDIT, &YOBI1_EDIT, &YOBI2_EDIT}) {
    edit->OnKeyPress = [this](TControl& s, char& key) { EDITKeyPress(s, key); };
    edit->OnExit = [this](TControl& s) { EDITExit(s); };
    edit->OnMouseUp = [this](TControl& s) { EDITMouseUp(s); };
  }

  void (TMainForm::*const levelHandlers[kLevelCount])() = {
      &TMainForm::Handy_SClick, &TMainForm::Handy_MClick, &TMainForm::Handy0Click, &TMainForm::Handy1Click,
      &TMainForm::Handy2Click,  &TMainForm::Handy3Click,  &TMainForm::Handy4Click, &TMainForm::Handy5Click,
      &TMainForm::Handy6Click,  &TMainForm::Handy_7Click};
  for (int i = 0; i < kLevelCount; ++i) {
    const auto handler = levelHandlers[i];
    LevelOption(static_cast<HandicapLevel>(i)).OnClick = [this, handler](TControl&) { (this->*handler)(); };
  }
}

void TMainForm::Create() {
  Guarded(this, [this] { FormCreate(); });
  SetFocus(CommBox);  // the focus control when the window first shows
}

void TMainForm::FormCreate() {
  // Links between partner controls, as the layout names them.
  for (const auto& c : controls_) {
    if (*c->Def().link) c->SetPartner(Find(c->Def().link));
  }

  // The port selector until its first drop-down lists the machine's ports.
  std::vector<std::string> entries{"OFF"};
  for (int n = 1; n <= kListedPorts; ++n) entries.push_back("COM" + std::to_string(n));
  CommBox.Assign(entries);
  CommBox.Select(0);

  // Through a real change each, so the bars' handlers fill their edits.
  THR_BAR.SetPosition(2);
  THR_BAR.SetPosition(1);
  YOBI1_BAR.SetPosition(2);
  YOBI1_BAR.SetPosition(1);
}

void TMainForm::BARChange(TControl& sender) {
  auto& bar = dynamic_cast<TBar&>(sender);
  dynamic_cast<TEdit&>(*bar.Partner()).SetText(std::to_string(bar.Position()));
}

void TMainForm::BARChange2(TControl& sender) {
  BARChange(sender);
}

void TMainForm::BARChange3(TControl& sender) {
  auto& bar = dynamic_cast<TBar&>(sender);
  dynamic_cast<TEdit&>(*bar.Partner()).SetText(std::to_string(bar.Position() / 2 * 2));
}

void TMainForm::EXIT_BTNClick() {
  host_.CloseWindow();
}

bool TMainForm::CloseQuery() {
  return !busy_.DeferWhileBusy();
}

void TMainForm::ProcessMessages() {
  mainThread_.ProcessMessages();
}

void TMainForm::ReportFailure(const std::string& message) {
  host_.ShowFailureBox(TitleFromFileName(host_.ProgramFileName()), WithFullStop(message));
}

TSize TMainForm::ClientSize() const {
  return PanelExtent([this](const TControlDef& def) { return Get<TPanel>(def.name).Visible(); });
}

void TMainForm::SetFocus(TControl& control) {
  if (!control.Showing() || !TakesFocus(control.Kind())) return;  // a hidden control takes no focus
  TControl* left = focused_ != &control ? focused_ : nullptr;
  focused_ = &control;
  host_.FocusControl(control);
  if (left && left->OnExit) left->OnExit(*left);
}

void TMainForm::UserFocused(TControl& control) {
  if (focused_ == &control || !control.Showing() || !TakesFocus(control.Kind())) return;
  TControl* left = focused_;
  focused_ = &control;
  if (left && left->OnExit) Guarded(this, [left] { left->OnExit(*left); });
}

TControl* TMainForm::TabNext(const TControl* from, bool forward) const {
  // The chain: panels in their tab order, each panel's controls in creation order.
  std::vector<TControl*> chain;
  for (const TPanel* panel : Panels) {
    for (const auto& c : controls_) {
      if (c->Parent() == panel && TakesTab(*c)) chain.push_back(c.get());
    }
  }
  if (chain.empty()) return nullptr;
  if (!forward) std::reverse(chain.begin(), chain.end());
  const auto at = std::find(chain.begin(), chain.end(), from);
  if (at == chain.end() || at + 1 == chain.end()) return chain.front();
  return *(at + 1);
}

}  // namespace kx71
