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

// Values every write imposes: overtake on, overtake time 3 s, power position 74 (byte 81).
constexpr int kImposedTime = 3;
constexpr int kImposedPower = 74;

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

void TMainForm::READ_BTNClick() {
  // One command at a time: a click that arrives while another handler waits does nothing.
  if (busy_.Busy() || CommX1.ExchangeActive()) return;
  TBusyDepth::TGuard guard(busy_);
  ProcessMessages();

  Frame request = ReadRequest(), reply;
  Transact(CommX1, request, kReadReplySize, reply);
  const std::optional<SettingsBlock> block = BlockFromReadReply(reply);
  if (!block) {
    MON_EDIT.SetText("Loading NG");
    return;
  }
  const SettingsValues v = DecodeBlock(*block);
  TakeUnitSettings(v);
  (v.overtake ? OT_ON : OT_OFF).Select();
  const auto bars = ValueBars();
  for (const TValueBar& b : std::span(bars).subspan(kUnitBarCount)) b.bar.SetPosition(v.*b.value);
  MON_EDIT.SetText("Loading OK");
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
  Frame request = ReadRequest(), reply;
  Transact(CommX1, request, kReadReplySize, reply);
  const std::optional<SettingsBlock> unit = BlockFromReadReply(reply);
  if (unit) {
    // The master flag too: a write never changes a flag the user cannot see or choose.
    TakeUnitSettings(DecodeBlock(*unit));
    MON_EDIT.SetText("Loading OK");
  } else {
    MON_EDIT.SetText("Loading NG");
  }

  OT_ON.Select();
  YOBI1_BAR.SetPosition(kImposedTime);
  YOBI2_BAR.SetPosition(kImposedPower);

  // Without a good read the window's values are not this unit's: writing them would overwrite its
  // identifiers and settings with whatever the window holds.
  if (!unit) {
    MON_EDIT.SetText("Writing NG");
    return;
  }

  SettingsValues w;
  w.marker5A = !BUP_00h.Checked();
  w.yourId = static_cast<std::uint32_t>(YOUID_EDIT.Tag());
  w.myId = static_cast<std::uint32_t>(MYID_EDIT.Tag());
  w.master = MAS_ON.Checked();
  w.overtake = OT_ON.Checked();
  for (const TValueBar& b : ValueBars()) w.*b.value = b.bar.Position();
  request = WriteRequest(EncodeBlock(w));
  Transact(CommX1, request, kWriteReplySize, reply);
  MON_EDIT.SetText(WriteReplyGood(reply) ? "Writing OK" : "Writing NG");
}

}  // namespace kx71
