// Choosing ports in the selector on real lines: choosing the open port again, a port that has gone,
// "OFF", and a port name that is not a number. (A port another program holds: its open fails in
// tests/comm, and the window's answer to a failed open is in tests/form.)
#include <QAbstractItemView>
#include <QTest>
#include <filesystem>

#include "e2e_support.h"
#include "ui/qt/failure_report.h"
#include "ui_test_support.h"

namespace kx71::e2e {
namespace {

TEST_F(E2ETest, ClosingTheListWithoutAChoiceReopensTheOpenPort) {
  TSimProcess& unit = StartUnit(53);
  ASSERT_TRUE(ChoosePort("COM53"));
  const std::size_t hangUps = unit.Count("HANGUP");
  ClearInfoLog();
  ASSERT_TRUE(DropAndDismiss());
  EXPECT_EQ(InfoLog(), (std::vector<QString>{"Connected to COM53"}));
  // The unit saw the line go down and come back: the port was closed and opened again.
  EXPECT_TRUE(test::WaitUntil([&] { return unit.Count("HANGUP") > hangUps; }));
  EXPECT_EQ(form->CommBox->currentText(), "COM53");
  EXPECT_TRUE(form->Logic().CommX1.IsOpen());
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");

  // Picking the same entry again does the same.
  ClearInfoLog();
  ASSERT_TRUE(ChoosePort("COM53"));
  EXPECT_EQ(InfoLine(), "Connected to COM53");
  EXPECT_TRUE(form->Logic().CommX1.IsOpen());
}

TEST_F(E2ETest, OpenPortGoneFromTheListIsClosed) {
  TSimProcess& unit = StartUnit(54);
  ASSERT_TRUE(ChoosePort("COM54"));
  ASSERT_TRUE(form->Logic().CommX1.IsOpen());
  std::filesystem::remove(unit.LinkPath());  // the device map no longer lists it
  ASSERT_TRUE(DropAndDismiss());
  EXPECT_EQ(form->CommBox->currentIndex(), 0);
  EXPECT_EQ(form->CommBox->currentText(), "OFF");
  EXPECT_EQ(InfoLine(), "Closed a serial port");
  EXPECT_FALSE(form->Logic().CommX1.IsOpen());

  // "OFF" chosen while closed says so all the same.
  form->Logic().MON_EDIT.SetText("");
  ASSERT_TRUE(ChoosePort("OFF"));
  EXPECT_EQ(InfoLine(), "Closed a serial port");
}

TEST_F(E2ETest, PortNameThatIsNotANumberIsReportedAndTheProgramGoesOn) {
  TSimProcess& unit = StartUnit(55);
  const auto odd = map.Dir() / "COMX";  // a real terminal, under a name without a number
  std::filesystem::create_symlink(std::filesystem::canonical(unit.LinkPath()), odd);
  const test::SeenBox box = test::CatchMessageBox([&] { QTest::mouseClick(form->CommBox, Qt::LeftButton); });
  EXPECT_TRUE(box.shown);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(box.title, QStringLiteral("test_e2e"));
  EXPECT_EQ(box.text, QString::fromUtf8("'X' は整数ではありません."));
  // The list, left with "OFF" alone, closes as any other.
  if (form->CommBox->view()->isVisible()) QTest::keyClick(form->CommBox->view(), Qt::Key_Escape);
  ASSERT_TRUE(test::WaitUntil([&] { return InfoLine() == "Closed a serial port"; }));

  std::filesystem::remove(odd);
  ASSERT_TRUE(ChoosePort("COM55"));
  EXPECT_EQ(InfoLine(), "Connected to COM55");
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
}

}  // namespace
}  // namespace kx71::e2e
