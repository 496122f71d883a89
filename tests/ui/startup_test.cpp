// The window's first show, and the end of the program: closing the window ends the loop and
// destroying it closes an open port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "pty_line.h"
#include "ui/qt/session_bus.h"
#include "test_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

// With no bus address set, the program names the runtime folder's socket, so that the bus library
// never launches a bus of its own; a set address stays.
TEST(StartUp, SessionBusAddressIsTheRuntimeSocketUnlessOneIsSet) {
  EXPECT_EQ(SessionBusAddress(nullptr, "/run/user/1000", 1000), "unix:path=/run/user/1000/bus");
  EXPECT_EQ(SessionBusAddress("", nullptr, 1000), "unix:path=/run/user/1000/bus");
  EXPECT_EQ(SessionBusAddress(nullptr, "", 0), "unix:path=/run/user/0/bus");
  // Bytes outside the address alphabet are escaped.
  EXPECT_EQ(SessionBusAddress(nullptr, "/tmp/a b;c,d=e", 5), "unix:path=/tmp/a%20b%3bc%2cd%3de/bus");
  EXPECT_EQ(SessionBusAddress("unix:path=/elsewhere", "/run/user/1000", 1000), "");
}

TEST(StartUp, FirstShowCentresTheWindowAndFocusesTheSelector) {
  test::TTestForm form;
  ASSERT_TRUE(test::ShowActive(form));
  EXPECT_EQ(QApplication::focusWidget(), form.CommBox);
  // Centred before the frame is known: within the frame's margins.
  const QRect screen = form.screen()->availableGeometry();
  const QMargins frame = form.windowHandle()->frameMargins();
  const int slack = 1 + std::max({frame.left(), frame.top(), frame.right(), frame.bottom()});
  EXPECT_LE(std::abs(form.geometry().center().x() - screen.center().x()), slack);
  EXPECT_LE(std::abs(form.geometry().center().y() - screen.center().y()), slack);
  EXPECT_EQ(form.size(), QSize(310, 416));
  // A hidden panel's controls take no focus, even from code.
  form.YOUID_EDIT->setFocus();
  EXPECT_NE(QApplication::focusWidget(), form.YOUID_EDIT);
}

// Nothing shows a hidden panel at start, so its widgets are made when it first shows (or one is
// asked for), showing what the logic holds by then.
TEST(StartUp, HiddenPanelsGetTheirWidgetsWhenFirstShown) {
  TQtMainForm form;
  EXPECT_NE(form.findChild<QWidget*>(QStringLiteral("Panel14")), nullptr);
  for (const char* name : {"Panel11", "THR_EDIT", "Panel2", "YOUID_EDIT"}) {
    EXPECT_EQ(form.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  // FormCreate set THR_BAR to 1 before THR_EDIT had a widget.
  form.Logic().Panel11.SetVisible(true);
  auto* edit = form.findChild<QLineEdit*>(QStringLiteral("THR_EDIT"));
  auto* bar = form.findChild<QScrollBar*>(QStringLiteral("THR_BAR"));
  ASSERT_TRUE(edit && bar);
  EXPECT_EQ(edit->text(), QStringLiteral("1"));
  EXPECT_EQ(bar->value(), 1);
  EXPECT_TRUE(edit->isVisibleTo(&form) && edit->isEnabled());
  EXPECT_EQ(form.size(), QSize(310, 464));
  // Stacked as if made in table order: under the visible panels, above none of them.
  const QObjectList order = form.children();
  QWidget* panel11 = form.Widget(form.Logic().Panel11);
  EXPECT_LT(order.indexOf(panel11), order.indexOf(form.Widget(form.Logic().Panel14)));
  // Asked for: made, hidden and disabled like its panel.
  QWidget* id = form.Widget(*form.Logic().Find("YOUID_EDIT"));
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->objectName(), QStringLiteral("YOUID_EDIT"));
  EXPECT_FALSE(id->isVisibleTo(&form) || id->parentWidget()->isEnabled());
  const QObjectList now = form.children();
  EXPECT_GE(now.indexOf(id->parentWidget()), 0);
  EXPECT_GT(now.indexOf(id->parentWidget()), now.indexOf(panel11));  // Panel2 follows Panel11 in the table
  EXPECT_LT(now.indexOf(id->parentWidget()), now.indexOf(form.Widget(form.Logic().Panel14)));
}

// The device can be taken exclusively, as another program would.
bool DeviceFree(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return free;
}

TEST(StartUp, ExitButtonAndFrameCloseEndTheLoopAndFreeAnOpenPort) {
  for (bool byButton : {true, false}) {
    SCOPED_TRACE(byButton ? "exit button" : "frame");
    TPtyDeviceMap map;
    const std::string device = map.Add(7).Device();
    auto form = std::make_unique<test::TTestForm>();
    form->show();
    form->Logic().CommX1.SetPortNo(7);
    ASSERT_NO_THROW(form->Logic().CommX1.Open());
    EXPECT_FALSE(DeviceFree(device));  // the component holds the device
    QTimer::singleShot(0, form.get(), [&] {
      if (byButton) {
        QTest::mouseClick(form->EXIT_BTN, Qt::LeftButton);
      } else {
        form->close();  // what the frame's close button asks for
      }
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
    watchdog.start(10000);
    ASSERT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(form->isVisible());
    form.reset();  // what the program does after the loop ends
    EXPECT_TRUE(DeviceFree(device));
  }
}

}  // namespace
}  // namespace kx71
