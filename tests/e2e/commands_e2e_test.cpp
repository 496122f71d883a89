// The read and write commands against the simulated unit: what the window takes from the unit, the
// frame a write sends, each way the unit can fail, and one command at a time during a wait.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "e2e_support.h"
#include "protocol/exchange.h"
#include "ui/qt/close_on_signals.h"
#include "ui_test_support.h"

namespace kx71::e2e {
namespace {

using Strings = std::vector<QString>;

int LevelIndex(HandicapLevel level) {
  return static_cast<int>(level);
}

// Sends a read to the unit and waits until it has logged `reads` read requests in all: every frame
// sent before it has been received and logged by then.
void Barrier(const TSimProcess& unit, std::size_t reads) {
  ASSERT_TRUE(test::WaitUntil([&] { return Requests(unit, kReadCommand).size() >= reads; }));
}

SettingsValues ReadUnit() {
  SettingsValues v;
  v.marker5A = true;
  v.yourId = 0xABCDEF;
  v.myId = 0x000102;
  v.master = true;
  v.overtake = false;
  v.lastChannel = 200;
  v.mode = 7;
  v.lowChannel = 1;
  v.highChannel = 255;
  v.steeringAdjust = 99;
  v.overtakeCount = 8;
  v.overtakeTime = 9;
  v.maxPower = 40;
  return v;
}

TEST_F(E2ETest, ReadFillsTheWindowAndSelectsTheLevelOfTheCountRead) {
  const SettingsValues unitValues = ReadUnit();
  TSimProcess& unit = StartUnit(41, {"--block", BlockArg(unitValues)});
  ASSERT_TRUE(ChoosePortWithMouse("COM41"));
  EXPECT_EQ(InfoLine(), "Connected to COM41");
  EXPECT_TRUE(form->Logic().CommX1.IsOpen());
  EXPECT_EQ(form->MON_EDIT->font().capitalization(), QFont::AllUppercase);

  // Count 8 with "No Handicap" selected: "Handicap +3" is selected, shows its message, count 8.
  ASSERT_TRUE(form->Handy0->isChecked());
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
  WindowState s = Snapshot(*form);
  EXPECT_EQ(s.values, unitValues);
  EXPECT_EQ(s.level, LevelIndex(HandicapLevel::Handy3));
  EXPECT_EQ(s.comment, QString::fromUtf8(Info(HandicapLevel::Handy3).message));
  EXPECT_EQ(form->YOUID_EDIT->text(), "11259375");
  EXPECT_EQ(form->MYID_EDIT->text(), "258");
  EXPECT_EQ(form->LOW_EDIT->text(), "255");
  EXPECT_EQ(form->YOBI2_EDIT->text(), "40");

  // Count 12: "Handicap +6" becomes selected and sets its preset 15.
  SettingsValues twelve = unitValues;
  twelve.overtakeCount = 12;
  ASSERT_TRUE(unit.Control("block " + BlockArg(twelve)));
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
  EXPECT_TRUE(form->Handy6->isChecked());
  EXPECT_EQ(form->THR_BAR->value(), 15);
  EXPECT_EQ(form->THR_EDIT->text(), "15");

  // Count 12 again with "Handicap +6" already selected: the count read stays.
  Click(form->READ_BTN);
  EXPECT_TRUE(form->Handy6->isChecked());
  EXPECT_EQ(form->THR_BAR->value(), 12);
  EXPECT_EQ(form->THR_EDIT->text(), "12");
  EXPECT_EQ(Requests(unit, kReadCommand).size(), 3u);
}

TEST_F(E2ETest, WriteSendsTheChosenLevelWithWhatItsOwnReadFound) {
  SettingsValues first = ReadUnit();
  TSimProcess& unit = StartUnit(42, {"--block", BlockArg(first)});
  ASSERT_TRUE(ChoosePort("COM42"));
  Click(form->READ_BTN);
  ASSERT_TRUE(form->MAS_ON->isChecked());
  QTest::mouseClick(form->Handy6, Qt::LeftButton);  // the user's level
  ASSERT_EQ(form->THR_BAR->value(), 15);

  // The unit's block changes before the write: the write's own read is what counts, the master
  // flag included (cleared now), while the level stays the user's.
  SettingsValues now = first;
  now.marker5A = true;
  now.yourId = 0x010203;
  now.myId = 0xFFFFFF;
  now.master = false;
  now.lastChannel = 11;
  now.mode = 22;
  now.lowChannel = 33;
  now.highChannel = 44;
  now.steeringAdjust = 55;
  now.overtakeCount = 99;
  now.overtakeTime = 200;
  now.maxPower = 10;
  ASSERT_TRUE(unit.Control("block " + BlockArg(now)));

  ClearInfoLog();
  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLog(), (Strings{"Loading OK", "Writing OK"}));

  const std::vector<Frame> writes = Requests(unit, kWriteCommand);
  ASSERT_EQ(writes.size(), 1u);
  const Frame& f = writes[0];
  ASSERT_EQ(f.size(), 18u);
  auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<std::uint8_t>(f[i])); };
  EXPECT_EQ(byte(0), 0xF5u);
  EXPECT_EQ(byte(1), 0x5Au);  // marker
  EXPECT_EQ(byte(2), 0x01u);  // YOURID, most significant first
  EXPECT_EQ(byte(3), 0x02u);
  EXPECT_EQ(byte(4), 0x03u);
  EXPECT_EQ(byte(5), 0xFFu);  // MYID
  EXPECT_EQ(byte(6), 0xFFu);
  EXPECT_EQ(byte(7), 0xFFu);
  EXPECT_EQ(byte(8), 0x08u);  // overtake on, master off as the unit has it now
  EXPECT_EQ(byte(9), 11u);    // bytes 8..12 as read
  EXPECT_EQ(byte(10), 22u);
  EXPECT_EQ(byte(11), 33u);
  EXPECT_EQ(byte(12), 44u);
  EXPECT_EQ(byte(13), 55u);
  EXPECT_EQ(byte(14), 15u);    // the chosen level's count
  EXPECT_EQ(byte(15), 3u);     // overtake time
  EXPECT_EQ(byte(16), 0x51u);  // power 74
  unsigned sum = 0;
  for (std::size_t i = 1; i <= 16; ++i) sum += byte(i);
  EXPECT_EQ(byte(17), sum % 256);

  const std::optional<SettingsBlock> stored = unit.StoredBlock();
  ASSERT_TRUE(stored);
  EXPECT_EQ(Frame(stored->begin(), stored->end()), f.substr(1, 16));
  EXPECT_TRUE(form->OT_ON->isChecked());
  EXPECT_TRUE(form->MAS_OFF->isChecked());
  EXPECT_EQ(form->YOBI1_BAR->value(), 3);
  EXPECT_EQ(form->YOBI2_BAR->value(), 74);
  EXPECT_EQ(form->YOBI2_EDIT->text(), "74");
  EXPECT_TRUE(form->Handy6->isChecked());
}

TEST_F(E2ETest, WriteRightAfterStartKeepsTheUnitsMasterFlagAndSendsCountOne) {
  // Byte 0 neither 0x5A nor 0x00; byte 7 with the master bit and bits the tool never writes.
  SettingsBlock raw = EncodeBlock(ReadUnit());
  raw[0] = 0x33;
  raw[7] = 0xF7;
  std::string hex;
  for (std::uint8_t b : raw) hex += QString::asprintf("%02X", b).toStdString();
  TSimProcess& unit = StartUnit(43, {"--block", hex});
  ASSERT_TRUE(ChoosePort("COM43"));
  ASSERT_TRUE(form->MAS_OFF->isChecked());

  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLine(), "Writing OK");
  const std::vector<Frame> writes = Requests(unit, kWriteCommand);
  ASSERT_EQ(writes.size(), 1u);
  const Frame& f = writes[0];
  ASSERT_EQ(f.size(), 18u);
  EXPECT_EQ(static_cast<std::uint8_t>(f[1]), 0x00);  // any marker but 0x5A goes back as 0x00
  EXPECT_EQ(static_cast<std::uint8_t>(f[8]), 0x09);  // the unit's master flag kept, overtake on
  EXPECT_EQ(static_cast<std::uint8_t>(f[14]), 1);    // no read, no level clicked: count 1
  EXPECT_EQ(f.substr(2, 6), Frame(raw.begin() + 1, raw.begin() + 7));
  EXPECT_EQ(f.substr(9, 5), Frame(raw.begin() + 8, raw.begin() + 13));
  EXPECT_TRUE(form->MAS_ON->isChecked());
  EXPECT_TRUE(form->Handy0->isChecked());
}

TEST_F(E2ETest, WithNoPortOpenBothCommandsFailAndAWriteStillImposesItsValues) {
  const WindowState before = Snapshot(*form);
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading NG");
  EXPECT_EQ(Snapshot(*form), before);

  ClearInfoLog();
  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLog(), (Strings{"Loading NG", "Writing NG"}));
  WindowState expected = before;
  expected.values.overtake = true;
  expected.values.overtakeTime = 3;
  expected.values.maxPower = 74;
  EXPECT_EQ(Snapshot(*form), expected);
}

// Each fault of the unit, through a read and then a write.
class FaultTest : public E2ETest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FaultTest, ReadAndWriteReportTheFaultAndAFailedReadWritesNothing) {
  const std::string fault = GetParam();
  const bool readsGood = fault == "nak" || fault == "extra";
  const bool writesGood = fault == "extra";
  const SettingsValues unitValues = ReadUnit();
  std::vector<std::string> args = {"--block", BlockArg(unitValues), "--fault", fault};
  // Paced at 9600 bit/s, the surplus after the write's own read is still on the line when the
  // write purges and sends, and heads its reply (judged "Writing NG" although the unit stored the
  // block). Unpaced, it comes with the reply and the purge discards it, which is the case tested.
  if (fault == "extra") args.insert(args.end(), {"--baud", "0"});
  TSimProcess& unit = StartUnit(44, args);
  form->Logic().CommX1.SetTimeOutReceive(1000);  // a silent or short unit costs one time-out per exchange
  ASSERT_TRUE(ChoosePort("COM44"));

  const WindowState before = Snapshot(*form);
  Click(form->READ_BTN);
  if (readsGood) {
    EXPECT_EQ(InfoLine(), "Loading OK");
    EXPECT_EQ(Snapshot(*form).values, unitValues);
  } else {
    EXPECT_EQ(InfoLine(), "Loading NG");
    EXPECT_EQ(Snapshot(*form), before);  // nothing of a bad reply is taken
  }

  // The whole answer has arrived (with a surplus, the bytes after the reply) before the next click,
  // as it has when a person clicks.
  if (fault != "silent") {
    ASSERT_TRUE(test::WaitUntil([&] { return unit.Count("TX") >= 1; }));
  }
  const WindowState beforeWrite = Snapshot(*form);
  ClearInfoLog();
  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLog(),
            (Strings{readsGood ? "Loading OK" : "Loading NG", writesGood ? "Writing OK" : "Writing NG"}));
  WindowState imposed = beforeWrite;
  imposed.values.overtake = true;
  imposed.values.overtakeTime = 3;
  imposed.values.maxPower = 74;
  if (!readsGood) {
    EXPECT_EQ(Snapshot(*form), imposed);
  }

  // A good read after the fault is cleared: every frame the write could have sent came before it.
  ASSERT_TRUE(unit.Control("fault none"));
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
  Barrier(unit, 3);
  const std::vector<Frame> writes = Requests(unit, kWriteCommand);
  EXPECT_EQ(writes.size(), readsGood ? 1u : 0u) << "a write after a failed read sent the window's values";
  const std::optional<SettingsBlock> stored = unit.StoredBlock();
  ASSERT_TRUE(stored);
  if (writesGood) {
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(Frame(stored->begin(), stored->end()), writes[0].substr(1, 16));
  } else {
    EXPECT_EQ(*stored, EncodeBlock(unitValues));
  }
}

INSTANTIATE_TEST_SUITE_P(EachFault, FaultTest,
                         ::testing::Values("silent", "short", "badsum", "nak", "extra", "garbage"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(E2ETest, SilentUnitEndsAWriteAfterOneReceiveTimeOut) {
  TSimProcess& unit = StartUnit(45, {"--fault", "silent"});
  ASSERT_EQ(form->Logic().CommX1.TimeOutReceive(), 3000);  // the window's own setting
  ASSERT_TRUE(ChoosePort("COM45"));
  ClearInfoLog();
  QElapsedTimer clock;
  clock.start();
  Click(form->PROGRAM_BTN);
  const qint64 elapsed = clock.elapsed();
  EXPECT_EQ(InfoLog(), (Strings{"Loading NG", "Writing NG"}));
  EXPECT_GE(elapsed, 2900);  // the first read waited for its reply
  RecordProperty("write_ms", static_cast<int>(elapsed));

  ASSERT_TRUE(unit.Control("fault none"));
  Click(form->READ_BTN);
  Barrier(unit, 2);
  EXPECT_TRUE(Requests(unit, kWriteCommand).empty());
}

TEST_F(E2ETest, ClicksDuringAWaitDoNothingWhileTheWindowStaysResponsive) {
  TSimProcess& unit = StartUnit(46, {"--delay", "800"});
  ASSERT_TRUE(ChoosePort("COM46"));

  int paintsDuringWait = 0;
  class PaintCounter : public QObject {
   public:
    PaintCounter(TQtMainForm& form, int& paints) : form_(form), paints_(paints) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && form_.Logic().CommX1.ExchangeActive()) ++paints_;
      return false;
    }

   private:
    TQtMainForm& form_;
    int& paints_;
  } counter(*form, paintsDuringWait);
  form->K_Comment->installEventFilter(&counter);

  bool levelTakenDuringWait = false;
  DuringWait([&] {
    Click(form->PROGRAM_BTN);
    Click(form->READ_BTN);
    QTest::mouseClick(form->Handy_7, Qt::LeftButton);
    levelTakenDuringWait = form->THR_BAR->value() == 250;
  });
  ClearInfoLog();
  Click(form->READ_BTN);
  form->K_Comment->removeEventFilter(&counter);
  ASSERT_TRUE(RanDuringWait());
  EXPECT_TRUE(levelTakenDuringWait);
  EXPECT_GT(paintsDuringWait, 0);
  EXPECT_EQ(InfoLog(), (Strings{"Loading OK"}));
  // The read's count (5) selected "No Handicap" again, since "+MAX" was selected meanwhile.
  EXPECT_TRUE(form->Handy0->isChecked());
  EXPECT_EQ(form->THR_BAR->value(), 5);

  Click(form->READ_BTN);
  Barrier(unit, 2);
  EXPECT_EQ(Requests(unit, kReadCommand).size(), 2u);
  EXPECT_TRUE(Requests(unit, kWriteCommand).empty());
}

TEST_F(E2ETest, PortChosenDuringAWaitEndsTheExchange) {
  StartUnit(47, {"--delay", "2500"});
  ASSERT_TRUE(ChoosePort("COM47"));
  DuringWait([&] { EXPECT_TRUE(ChoosePort("OFF")); });
  ClearInfoLog();
  Click(form->READ_BTN);
  ASSERT_TRUE(RanDuringWait());
  EXPECT_EQ(InfoLog(), (Strings{"Closed a serial port", "Loading NG"}));
  EXPECT_FALSE(form->Logic().CommX1.IsOpen());
}

// A close request during a wait: the window's close (the exit button, the frame), or a signal
// asking the program to end.
class CloseDuringWaitTest : public E2ETest, public ::testing::WithParamInterface<int> {};

TEST_P(CloseDuringWaitTest, LetsTheExchangeFinishAndTheProgramEnd) {
  const int sig = GetParam();
  TSimProcess& unit = StartUnit(48, {"--delay", "800"});
  ASSERT_TRUE(ChoosePort("COM48"));
  if (sig != 0) new TCloseOnSignals(*form);  // as the program sets it up; owned by the window
  bool visibleAfterCloseAsked = false;
  DuringWait([&] {
    if (sig != 0) {
      raise(sig);
    } else {
      form->close();
    }
    visibleAfterCloseAsked = form->isVisible();
  });
  QTimer::singleShot(0, form.get(), [&] { Click(form->READ_BTN); });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
  watchdog.start(20000);
  EXPECT_EQ(QApplication::exec(), 0);  // the loop ended because the window closed
  ASSERT_TRUE(RanDuringWait());
  EXPECT_TRUE(visibleAfterCloseAsked);
  EXPECT_EQ(InfoLine(), "Loading OK");  // the exchange finished and its reply was taken
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(Requests(unit, kReadCommand).size(), 1u);
  form.reset();  // what the program does once the loop has ended: the port is closed
  const int fd = open(unit.LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0) << "the port is still held";
  close(fd);
}

INSTANTIATE_TEST_SUITE_P(Requests, CloseDuringWaitTest, ::testing::Values(0, SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                           return info.param == 0 ? std::string("Close")
                                                  : std::string(sigabbrev_np(info.param));
                         });

}  // namespace
}  // namespace kx71::e2e
