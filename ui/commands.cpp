// Port selection and the device commands: the port follows the selector, the read command loads the
// unit's block into the editors and selects its level, the write command sends the block back with
// the chosen level and the imposed values.
#include <cstdio>
#include <optional>
#include <string>

#include "comm/port_discovery.h"
#include "protocol/exchange.h"
#include "protocol/int_text.h"
#include "ui/main_form.h"
#include "ui/tag.h"

namespace kx71 {
namespace {

// Values every write imposes: overtake on, overtake time 3 s, power position 74 (byte 81).
constexpr int kImposedTime = 3;
constexpr int kImposedPower = 74;

void ShowInfo(QLineEdit* line, const QString& text) {
  line->setText(text);
}

// The information line keeps its fixed texts; a user who started the program from a terminal
// learns there why the port cannot be used ("COM1 (/dev/ttyS0): permission denied - ...").
void ReportUnusablePort(const QString& name) {
  try {
    throw;
  } catch (const ECommError& e) {
    if (e.Reason().empty()) return;
    const std::string where = e.Device().empty() ? std::string() : " (" + e.Device() + ")";
    std::fprintf(stderr, "%s%s: %s\n", name.toStdString().c_str(), where.c_str(), e.Reason().c_str());
  } catch (...) {
  }
}

void SetIdentifier(QLineEdit* edit, std::uint32_t id) {
  SetTag(edit, static_cast<std::int32_t>(id));
  edit->setText(QString::number(id));
}

}  // namespace

void TMainForm::TakeUnitSettings(const SettingsValues& v) {
  (v.marker5A ? BUP_5Ah : BUP_00h)->setChecked(true);
  SetIdentifier(YOUID_EDIT, v.yourId);
  SetIdentifier(MYID_EDIT, v.myId);
  (v.master ? MAS_ON : MAS_OFF)->setChecked(true);
  LAST_BAR->setValue(v.last);
  MODE_BAR->setValue(v.mode);
  UA_BAR->setValue(v.ua);
  LOW_BAR->setValue(v.low);
  HICH_BAR->setValue(v.hich);
}

void TMainForm::CommBoxDropDown() {
  RefreshCommList(*CommBox);
}

void TMainForm::CommBoxCloseUp() {
  // The selector's entry as the user just chose it (close-up is delivered after Qt has taken it).
  const QString text = CommBox->currentText();
  if (CommBox->currentIndex() == 0) {
    CommX1.Close();
    ShowInfo(MON_EDIT, QStringLiteral("Closed a serial port"));
    return;
  }
  try {
    CommX1.Close();
    CommX1.SetPortNo(StrToInt(text.mid(3).toStdString()));  // the number after "COM"
    CommX1.Open();
    // A DTR pulse; afterwards DTR stays off and RTS on for every exchange.
    CommX1.SetDTR(true);
    CommX1.SetDTR(false);
    CommX1.PurgeTrans();
    CommX1.PurgeReceive();
    ShowInfo(MON_EDIT, QStringLiteral("Connected to ") + text);
  } catch (...) {
    ReportUnusablePort(text);
    // A failure after Open would otherwise leave a port open that the line reports unusable.
    try {
      CommX1.Close();
    } catch (...) {
    }
    ShowInfo(MON_EDIT, QStringLiteral("Cannot use ") + text);
  }
}

void TMainForm::READ_BTNClick() {
  // One command at a time: a click that arrives while another handler waits does nothing.
  if (busy_.Busy() || CommX1.ExchangeActive()) return;
  TBusyDepth::TGuard guard(busy_);
  mainThread_.ProcessMessages();

  Frame request = ReadRequest(), reply;
  Transact(CommX1, request, kReadReplySize, reply);
  const std::optional<SettingsBlock> block = BlockFromReadReply(reply);
  if (!block) {
    ShowInfo(MON_EDIT, QStringLiteral("Loading NG"));
    return;
  }
  const SettingsValues v = DecodeBlock(*block);
  TakeUnitSettings(v);
  (v.overtake ? OT_ON : OT_OFF)->setChecked(true);
  THR_BAR->setValue(v.thr);
  YOBI1_BAR->setValue(v.yobi1);
  YOBI2_BAR->setValue(v.yobi2);
  ShowInfo(MON_EDIT, QStringLiteral("Loading OK"));
  // Selecting an option that was not selected runs its click handler (message, preset count); the
  // option already selected keeps the count just read.
  LevelOption(Classify(THR_BAR->value()))->setChecked(true);
}

void TMainForm::PROGRAM_BTNClick() {
  if (busy_.Busy() || CommX1.ExchangeActive()) return;
  TBusyDepth::TGuard guard(busy_);
  mainThread_.ProcessMessages();

  // Read first, so that what is written back is what this unit holds, except for what the user
  // chose (the level) and what the tool imposes.
  Frame request = ReadRequest(), reply;
  Transact(CommX1, request, kReadReplySize, reply);
  const std::optional<SettingsBlock> unit = BlockFromReadReply(reply);
  if (unit) {
    // The master flag too: a write never changes a flag the user cannot see or choose.
    TakeUnitSettings(DecodeBlock(*unit));
    ShowInfo(MON_EDIT, QStringLiteral("Loading OK"));
  } else {
    ShowInfo(MON_EDIT, QStringLiteral("Loading NG"));
  }

  OT_ON->setChecked(true);
  YOBI1_BAR->setValue(kImposedTime);
  YOBI2_BAR->setValue(kImposedPower);

  // Without a good read the window's values are not this unit's: writing them would overwrite its
  // identifiers and settings with whatever the window holds.
  if (!unit) {
    ShowInfo(MON_EDIT, QStringLiteral("Writing NG"));
    return;
  }

  SettingsValues w;
  w.marker5A = !BUP_00h->isChecked();
  w.yourId = static_cast<std::uint32_t>(Tag(YOUID_EDIT));
  w.myId = static_cast<std::uint32_t>(Tag(MYID_EDIT));
  w.master = MAS_ON->isChecked();
  w.overtake = OT_ON->isChecked();
  w.last = LAST_BAR->value();
  w.mode = MODE_BAR->value();
  w.ua = UA_BAR->value();
  w.low = LOW_BAR->value();
  w.hich = HICH_BAR->value();
  w.thr = THR_BAR->value();
  w.yobi1 = YOBI1_BAR->value();
  w.yobi2 = YOBI2_BAR->value();
  request = WriteRequest(EncodeBlock(w));
  Transact(CommX1, request, kWriteReplySize, reply);
  ShowInfo(MON_EDIT, WriteReplyGood(reply) ? QStringLiteral("Writing OK") : QStringLiteral("Writing NG"));
}

}  // namespace kx71
