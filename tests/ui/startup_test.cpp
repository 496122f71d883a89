// The window's first show, and the end of the program: closing the window ends the loop and
// destroying it closes an open port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "ui/qt/main_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

TEST(StartUp, FirstShowCentresTheWindowAndFocusesTheSelector) {
  TQtMainForm form;
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

TEST(StartUp, ExitButtonAndFrameCloseEndTheLoop) {
  for (bool byButton : {true, false}) {
    TQtMainForm form;
    form.show();
    bool timedOut = false;
    QTimer::singleShot(0, &form, [&] {
      if (byButton) {
        QTest::mouseClick(form.EXIT_BTN, Qt::LeftButton);
      } else {
        form.close();  // what the frame's close button asks for
      }
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
      timedOut = true;
      QApplication::exit(1);
    });
    watchdog.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(form.isVisible());
  }
}

// A pseudo-terminal published as COM<n> through a private device map.
class MappedPty {
 public:
  explicit MappedPty(int portNo) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    slave_ = ptsname(master_);
    // Keep one slave descriptor open until the component has opened the device, so the master
    // reports a hang-up only when the component closes it.
    holder_ = open(slave_.c_str(), O_RDWR | O_NOCTTY);
    std::filesystem::create_symlink(
        slave_, std::filesystem::path(dir_.path().toStdString()) / ("COM" + std::to_string(portNo)));
    qputenv("KX71_DEVICEMAP", dir_.path().toLocal8Bit());
  }
  ~MappedPty() {
    qunsetenv("KX71_DEVICEMAP");
    if (holder_ >= 0) close(holder_);
    if (master_ >= 0) close(master_);
  }
  bool Ok() const { return master_ >= 0 && holder_ >= 0 && dir_.isValid(); }
  void ReleaseHolder() {
    close(holder_);
    holder_ = -1;
  }
  // True once no descriptor of the slave side is open any more.
  bool SlaveClosed() const {
    pollfd p{master_, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
  }
  const std::string& Slave() const { return slave_; }

 private:
  QTemporaryDir dir_;
  int master_ = -1, holder_ = -1;
  std::string slave_;
};

TEST(StartUp, ExitWithAnOpenPortClosesIt) {
  MappedPty pty(7);
  ASSERT_TRUE(pty.Ok());
  auto form = std::make_unique<TQtMainForm>();
  form->show();
  form->Logic().CommX1.SetPortNo(7);
  ASSERT_NO_THROW(form->Logic().CommX1.Open());
  ASSERT_TRUE(form->Logic().CommX1.IsOpen());
  pty.ReleaseHolder();
  EXPECT_FALSE(pty.SlaveClosed());  // the component holds the device

  QTimer::singleShot(0, form.get(), [&] { QTest::mouseClick(form->EXIT_BTN, Qt::LeftButton); });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
  watchdog.start(10000);
  ASSERT_EQ(QApplication::exec(), 0);
  form.reset();  // what the program does after the loop ends
  EXPECT_TRUE(pty.SlaveClosed());
  // The device is free again for another program.
  const int again = open(pty.Slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(again, 0);
  EXPECT_EQ(flock(again, LOCK_EX | LOCK_NB), 0);
  close(again);
}

}  // namespace
}  // namespace kx71
