#include "e2e_support.h"

#include <dirent.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include "hex.h"
#include "ui_test_support.h"

namespace kx71::e2e {

WindowState Snapshot(const test::TTestForm& form) {
  WindowState s;
  SettingsValues& v = s.values;
  v.marker5A = form.BUP_5Ah->isChecked();
  v.yourId = static_cast<std::uint32_t>(form.Logic().YOUID_EDIT.Tag());
  v.myId = static_cast<std::uint32_t>(form.Logic().MYID_EDIT.Tag());
  v.master = form.MAS_ON->isChecked();
  v.overtake = form.OT_ON->isChecked();
  v.lastChannel = form.LAST_BAR->value();
  v.mode = form.MODE_BAR->value();
  v.lowChannel = form.UA_BAR->value();
  v.highChannel = form.LOW_BAR->value();
  v.steeringAdjust = form.HICH_BAR->value();
  v.overtakeCount = form.THR_BAR->value();
  v.overtakeTime = form.YOBI1_BAR->value();
  v.maxPower = form.YOBI2_BAR->value();
  for (int i = 0; i < kLevelCount; ++i) {
    if (form.LevelOption(static_cast<HandicapLevel>(i))->isChecked()) s.level = i;
  }
  s.comment = form.K_Comment->text();
  return s;
}

std::string BlockArg(const SettingsValues& values) {
  std::string hex = HexText(EncodeBlock(values));
  std::erase(hex, ' ');
  return hex;
}

std::vector<Frame> Requests(const TSimProcess& unit, std::uint8_t command) {
  std::vector<Frame> out;
  for (Frame& f : unit.Frames("RX")) {
    if (!f.empty() && static_cast<std::uint8_t>(f[0]) == command) out.push_back(std::move(f));
  }
  return out;
}

namespace {
int CountEntries(const char* dir) {
  int n = 0;
  if (DIR* d = opendir(dir)) {
    while (const dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') ++n;
    }
    closedir(d);
  }
  return n;
}
}  // namespace

int OpenDescriptors() {
  return CountEntries("/proc/self/fd") - 1;  // less the one reading the directory
}

int Threads() {
  return CountEntries("/proc/self/task");
}

void E2ETest::SetUp() {
  form = std::make_unique<test::TTestForm>();
  ASSERT_TRUE(test::ShowActive(*form));
  QObject::connect(form->MON_EDIT, &QLineEdit::textChanged, form.get(),
                   [this](const QString& text) { infoLog_.push_back(text); });
  // Connected after the window's own handler, so it counts close-ups that have been handled.
  QObject::connect(form->CommBox, &TQtCommBox::closeUp, form.get(), [this] { ++closeUps_; });
  waitWatch_.setInterval(2);
  QObject::connect(&waitWatch_, &QTimer::timeout, [this] {
    if (!form->Logic().CommX1.ExchangeActive() || !waitAction_) return;
    waitWatch_.stop();
    auto action = std::move(waitAction_);
    waitAction_ = nullptr;
    ranDuringWait_ = true;
    action();
  });
}

void E2ETest::TearDown() {
  waitWatch_.stop();
  form.reset();
  units.clear();
}

TSimProcess& E2ETest::StartUnit(int port, std::vector<std::string> args) {
  args.insert(args.begin(), {"--baud", "9600"});
  units.push_back(std::make_unique<TSimProcess>(map.Dir().string(), port, std::move(args)));
  EXPECT_TRUE(units.back()->Ready()) << "the simulated unit did not start on COM" << port;
  return *units.back();
}

QAbstractItemView* E2ETest::OpenList() {
  QTest::mouseClick(form->CommBox, Qt::LeftButton);
  QAbstractItemView* view = form->CommBox->view();
  return test::WaitUntil([&] { return view->isVisible(); }) ? view : nullptr;
}

bool E2ETest::ChoosePort(const QString& entry) {
  const int before = closeUps_;
  TQtCommBox* box = form->CommBox;
  QAbstractItemView* view = OpenList();
  if (!view) return false;
  const int i = box->findText(entry);
  if (i >= 0) view->setCurrentIndex(box->model()->index(i, 0));
  QTest::keyClick(view, i >= 0 ? Qt::Key_Return : Qt::Key_Escape);
  return test::WaitUntil([&] { return closeUps_ > before; }) && i >= 0;
}

bool E2ETest::ChoosePortWithMouse(const QString& entry) {
  const int before = closeUps_;
  TQtCommBox* box = form->CommBox;
  QAbstractItemView* view = OpenList();
  if (!view) return false;
  const int i = box->findText(entry);
  if (i < 0) return false;
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  const QRect item = view->visualRect(box->model()->index(i, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
  return test::WaitUntil([&] { return closeUps_ > before; });
}

bool E2ETest::DropAndDismiss() {
  const int before = closeUps_;
  QAbstractItemView* view = OpenList();
  if (!view) return false;
  QTest::keyClick(view, Qt::Key_Escape);
  return test::WaitUntil([&] { return closeUps_ > before; });
}

void E2ETest::ClearInfoLog() {
  form->Logic().MON_EDIT.SetText("");
  infoLog_.clear();
}

WindowState E2ETest::BothCommandsFail() {
  const WindowState before = Snapshot(*form);
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading NG");
  EXPECT_EQ(Snapshot(*form), before);
  ClearInfoLog();
  Click(form->PROGRAM_BTN);
  EXPECT_EQ(InfoLog(), (std::vector<QString>{"Loading NG", "Writing NG"}));
  return before;
}

void E2ETest::Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
}

void E2ETest::DuringWait(std::function<void()> action) {
  ranDuringWait_ = false;
  waitAction_ = std::move(action);
  waitWatch_.start();
}

}  // namespace kx71::e2e
