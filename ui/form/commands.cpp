// Port selection and the device commands: the port follows the selector, the read command loads the
// unit's block into the editors and selects its level, the write command sends the block back with
// the chosen level and the imposed values.
#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "comm/port_discovery.h"
#include "protocol/exchange.h"
#include "text/int_text.h"
#include "ui/form/main_form.h"

namespace kx71 {
namespace {

// The information line keeps its fixed texts; a user who started the program from a terminal
// learns there why the port cannot be used ("COM1 (/dev/ttyS0): permission denied - ...").
void ReportUnusablePort(const std::string& name) {
  try {
    throw;
  } catch (const ECommError& e) {
    if (e.Reason().empty()) return;
    const std::string where = e.Device().empty() ? std::string() : " (" + e.Device() + ")";
    std::fprintf(stderr, "%s%s: %s\n", name.c_str(), where.c_str(), e.Reason().c_str());
  } catch (...) {
  }
}

void SetIdentifier(TEdit& edit, std::uint32_t id) {
  edit.SetTag(static_cast<std::int32_t>(id));
  edit.SetText(std::to_string(id));
}

}  // namespace

std::array<TMainForm::TValueBar, 8> TMainForm::ValueBars() {
  return {{
      {LAST_BAR, &SettingsValues::lastChannel},
      {MODE_BAR, &SettingsValues::mode},
      {UA_BAR, &SettingsValues::lowChannel},
      {LOW_BAR, &SettingsValues::highChannel},
      {HICH_BAR, &SettingsValues::steeringAdjust},
      {THR_BAR, &SettingsValues::overtakeCount},
      {YOBI1_BAR, &SettingsValues::overtakeTime},
      {YOBI2_BAR, &SettingsValues::maxPower},
  }};
}

void TMainForm::TakeUnitSettings(const SettingsValues& v) {
  (v.marker5A ? BUP_5Ah : BUP_00h).Select();
  SetIdentifier(YOUID_EDIT, v.yourId);
  SetIdentifier(MYID_EDIT, v.myId);
  (v.master ? MAS_ON : MAS_OFF).Select();
  const auto bars = ValueBars();
  for (const TValueBar& b : std::span(bars).first(kUnitBarCount)) b.bar.SetPosition(v.*b.value);
}

void TMainForm::CommBoxDropDown() {
  RefreshCommList(CommBox);
}

void TMainForm::CommBoxCloseUp() {
  const std::string text = CommBox.SelectedText();
  if (CommBox.ItemIndex() == 0) {
    CommX1.Close();
    MON_EDIT.SetText("Closed a serial port");
    return;
  }
  try {
    CommX1.Close();
    CommX1.SetPortNo(StrToInt(text.size() > 3 ? text.substr(3) : std::string()));  // the number after "COM"
    CommX1.Open();
    // A DTR pulse; afterwards DTR stays off and RTS on for every exchange.
    CommX1.SetDTR(true);
    CommX1.SetDTR(false);
    CommX1.PurgeTrans();
    CommX1.PurgeReceive();
    MON_EDIT.SetText("Connected to " + text);
  } catch (...) {
    ReportUnusablePort(text);
    // A failure after Open would otherwise leave a port open that the line reports unusable.
    try {
      CommX1.Close();
    } catch (...) {
    }
    MON_EDIT.SetText("Cannot use " + text);
  }
}

std::optional<SettingsValues> TMainForm::ReadUnit() {
  Frame request = ReadRequest(), reply;
  Transact(CommX1, request, kReadReplySize, reply);
  const std::optional<SettingsBlock> block = BlockFromReadReply(reply);
  if (!block) {
    MON_EDIT.SetText("Loading NG");
    return std::nullopt;
  }
  const SettingsValues v = DecodeBlock(*block);
  TakeUnitSettings(v);
  MON_EDIT.SetText("Loading OK");
  return v;
}

void TMainForm::ShowValues(const SettingsValues& v) {
  (v.overtake ? OT_ON : OT_OFF).Select();
  const auto bars = ValueBars();
  for (const TValueBar& b : std::span(bars).subspan(kUnitBarCount)) b.bar.SetPosition(v.*b.value);
}

void TMainForm::READ_BTNClick() {
  // One command at a time: a click that arrives while another handler waits does nothing.
  if (busy_.Busy() || CommX1.ExchangeActive()) return;
  TBusyDepth::TGuard guard(busy_);
  ProcessMessages();

  const std::optional<SettingsValues> v = ReadUnit();
  if (!v) return;
  ShowValues(*v);
  // Selecting an option that was not selected runs its click handler (message, preset count); the
  // option already selected keeps the count just read.
  LevelOption(Classify(THR_BAR.Position())).Select();
}

void TMainForm::PROGRAM_BTNClick() {
  if (busy_.Busy() || CommX1.ExchangeActive()) return;
  TBusyDepth::TGuard guard(busy_);
  ProcessMessages();

  // Read first, so that what is written back is what this unit holds, except for what the user
  // chose (the level) and what the tool imposes.
  const std::optional<SettingsValues> unit = ReadUnit();
  if (!unit) {
    // The window still shows the values a write imposes.
    ShowValues(ValuesToWrite(SettingsValues{}, THR_BAR.Position()));
    // Without a good read the window's values are not this unit's: writing them would overwrite its
    // identifiers and settings with whatever the window holds.
    MON_EDIT.SetText("Writing NG");
    return;
  }
  const SettingsValues w = ValuesToWrite(*unit, THR_BAR.Position());
  ShowValues(w);
  Frame request = WriteRequest(EncodeBlock(w)), reply;
  Transact(CommX1, request, kWriteReplySize, reply);
  MON_EDIT.SetText(WriteReplyGood(reply) ? "Writing OK" : "Writing NG");
}

}  // namespace kx71
