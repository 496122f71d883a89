// The window's first show, and the end of the program: closing the window ends the loop and
// destroying it closes an open port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "pty_line.h"
#include "test_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

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
