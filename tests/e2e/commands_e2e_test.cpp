// The read and write commands on the real window against the simulated unit over a pseudo-terminal:
// one read, one write, and a close asked for while an exchange waits. What the commands do in each
// case (every editor, every level, the frame, every fault) is tested on the window's logic
// (tests/form/commands_test.cpp).
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>

#include "e2e_support.h"
#include "protocol/exchange.h"
#include "ui/qt/close_on_signals.h"
#include "ui_test_support.h"

namespace kx71::e2e {
namespace {

using Strings = std::vector<QString>;

// Sends a read to the unit and waits until it has logged `reads` read requests in all: every frame
// sent before it has been received and logged by then.
void Barrier(const TSimProcess& unit, std::size_t reads) {
  ASSERT_TRUE(test::WaitUntil([&] { return Requests(unit, kReadCommand).size() >= reads; }));
}

const SettingsValues kReadUnit{.marker5A = true, .yourId = 0xABCDEF, .myId = 0x000102, .master = true,
                               .overtake = false, .lastChannel = 200, .mode = 7, .lowChannel = 1,
                               .highChannel = 255, .steeringAdjust = 99, .overtakeCount = 8, .overtakeTime = 9,
                               .maxPower = 40};

TEST_F(E2ETest, ReadFillsTheWindowWhichPaintsAndTakesNoOtherCommandDuringTheWait) {
  TSimProcess& unit = StartUnit(41, {"--block", BlockArg(kReadUnit), "--delay", "500"});
  ASSERT_TRUE(ChoosePortWithMouse("COM41"));
  EXPECT_EQ(InfoLine(), "Connected to COM41");
  EXPECT_EQ(form->MON_EDIT->font().capitalization(), QFont::AllUppercase);

  int paintsDuringWait = 0;
  class PaintCounter : public QObject {
   public:
    PaintCounter(test::TTestForm& form, int& paints) : form_(form), paints_(paints) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && form_.Logic().CommX1.ExchangeActive()) ++paints_;
      return false;
    }

   private:
    test::TTestForm& form_;
    int& paints_;
  } counter(*form, paintsDuringWait);
  form->K_Comment->installEventFilter(&counter);
  DuringWait([&] {
    Click(form->PROGRAM_BTN);
    Click(form->READ_BTN);
    form->K_Comment->update();
  });

  // Count 8 with "No Handicap" selected: "Handicap +3" is selected and shows its message.
  ASSERT_TRUE(form->Handy0->isChecked());
  ClearInfoLog();
  Click(form->READ_BTN);
  form->K_Comment->removeEventFilter(&counter);
  ASSERT_TRUE(RanDuringWait());
  EXPECT_GT(paintsDuringWait, 0);
  EXPECT_EQ(InfoLog(), (Strings{"Loading OK"}));
  WindowState s = Snapshot(*form);
  EXPECT_EQ(s.values, kReadUnit);
  EXPECT_EQ(s.level, static_cast<int>(HandicapLevel::Handy3));
  EXPECT_EQ(s.comment, QString::fromUtf8(Info(HandicapLevel::Handy3).message));
  EXPECT_EQ(form->YOUID_EDIT->text(), "11259375");
  EXPECT_EQ(form->LOW_EDIT->text(), "255");
  EXPECT_EQ(form->YOBI2_EDIT->text(), "40");

  Click(form->READ_BTN);
  Barrier(unit, 2);
  EXPECT_EQ(Requests(unit, kReadCommand).size(), 2u);
  EXPECT_TRUE(Requests(unit, kWriteCommand).empty());
}

TEST_F(E2ETest, WriteSendsTheChosenLevelWithWhatItsOwnReadFound) {
  TSimProcess& unit = StartUnit(42, {"--block", BlockArg(kReadUnit)});
  ASSERT_TRUE(ChoosePort("COM42"));
  Click(form->READ_BTN);
  ASSERT_TRUE(form->MAS_ON->isChecked());
  QTest::mouseClick(form->Handy6, Qt::LeftButton);  // the user's level
  ASSERT_EQ(form->THR_BAR->value(), 15);
  // The write's own read is what counts: the master flag cleared now is kept.
  SettingsValues now = kReadUnit;
  now.master = false;
  now.yourId = 0x010203;
  ASSERT_TRUE(unit.Control("block " + BlockArg(now)));

  ClearInfoLog();
  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLog(), (Strings{"Loading OK", "Writing OK"}));
  const std::vector<Frame> writes = Requests(unit, kWriteCommand);
  ASSERT_EQ(writes.size(), 1u);
  const std::optional<SettingsBlock> stored = unit.StoredBlock();
  ASSERT_TRUE(stored);
  EXPECT_EQ(Frame(stored->begin(), stored->end()), writes[0].substr(1, 16));
  EXPECT_EQ(*stored, EncodeBlock(ValuesToWrite(now, 15)));
  EXPECT_EQ(Snapshot(*form).values, DecodeBlock(*stored));
  EXPECT_EQ(form->YOBI2_EDIT->text(), "74");
  EXPECT_TRUE(form->Handy6->isChecked());
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
