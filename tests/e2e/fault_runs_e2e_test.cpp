// Fault runs: the unit vanishing while the window waits, a line that floods bytes without pause,
// and the port opened and closed 500 times from the selector.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "e2e_support.h"
#include "protocol/exchange.h"
#include "ui_test_support.h"

namespace kx71::e2e {
namespace {

TEST_F(E2ETest, UnitKilledWhileTheWindowWaits) {
  TSimProcess& doomed = StartUnit(61, {"--delay", "2000"});
  StartUnit(62);
  ASSERT_TRUE(ChoosePort("COM61"));
  DuringWait([&] { kill(doomed.Pid(), SIGKILL); });
  Click(form->READ_BTN);
  ASSERT_TRUE(RanDuringWait());
  EXPECT_EQ(InfoLine(), "Loading NG");
  std::filesystem::remove(doomed.LinkPath());  // a killed unit leaves its link behind

  // The window is usable: a level can be chosen, and a new port chosen and read.
  QTest::mouseClick(form->Handy_7, Qt::LeftButton);
  EXPECT_EQ(form->THR_BAR->value(), 250);
  ASSERT_TRUE(ChoosePort("COM62"));
  EXPECT_EQ(InfoLine(), "Connected to COM62");
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
}

TEST_F(E2ETest, LineFloodedWithBytes) {
  TPtyLine& line = map.Add(63);
  const int threadsBefore = Threads();
  std::atomic<long> sentBytes{0};
  std::string received;  // what the window sent, read by the flooding thread
  std::jthread flood([&](std::stop_token stop) {
    const std::string junk(256, '\x55');
    while (!stop.stop_requested()) {
      const ssize_t n = write(line.Master(), junk.data(), junk.size());
      if (n > 0) sentBytes += n;
      char buf[256];
      const ssize_t r = read(line.Master(), buf, sizeof buf);
      if (r > 0) received.append(buf, static_cast<std::size_t>(r));
      if (n <= 0 && r <= 0) {
        pollfd p{line.Master(), POLLIN | POLLOUT, 0};
        poll(&p, 1, 5);
      }
    }
  });

  ASSERT_TRUE(ChoosePort("COM63"));
  EXPECT_EQ(InfoLine(), "Connected to COM63");
  BothCommandsFail();

  // Still responsive while the bytes keep coming.
  QTest::mouseClick(form->Handy3, Qt::LeftButton);
  EXPECT_EQ(form->THR_BAR->value(), 8);
  ASSERT_TRUE(ChoosePort("OFF"));
  EXPECT_EQ(InfoLine(), "Closed a serial port");
  EXPECT_FALSE(form->Logic().CommX1.IsOpen());
  flood.request_stop();
  flood.join();
  EXPECT_GT(sentBytes, 4096);  // the line was full all along
  EXPECT_EQ(received.find(static_cast<char>(kWriteCommand)), std::string::npos);
  EXPECT_NE(received.find(static_cast<char>(kReadCommand)), std::string::npos);
  EXPECT_TRUE(test::WaitUntil([&] { return Threads() == threadsBefore; }));
}

TEST_F(E2ETest, PortOpenedAndClosedFiveHundredTimesFromTheSelector) {
  // The component's fixed pauses around open and close are left out: they would make this run
  // last minutes and are no part of what it checks.
  form = std::make_unique<test::TTestForm>(TCommXEnvironment{{}, [](std::int32_t) {}});
  ASSERT_TRUE(test::ShowActive(*form));
  StartUnit(64);
  form->CommBox->showPopup();  // the list from the device map
  form->CommBox->hidePopup();
  const int entry = form->CommBox->findText("COM64");
  ASSERT_GT(entry, 0);

  auto cycle = [&] {
    form->CommBox->setCurrentIndex(entry);
    form->Logic().CommBoxCloseUp();
    const bool opened = form->Logic().CommX1.IsOpen() && InfoLine() == "Connected to COM64";
    form->CommBox->setCurrentIndex(0);
    form->Logic().CommBoxCloseUp();
    return opened && !form->Logic().CommX1.IsOpen() && InfoLine() == "Closed a serial port";
  };
  ASSERT_TRUE(cycle());  // warm-up
  QCoreApplication::processEvents();
  const int fds = OpenDescriptors(), threads = Threads();
  int failed = 0;
  for (int i = 0; i < 500; ++i) {
    if (!cycle()) ++failed;
    QCoreApplication::processEvents();  // the component's reports of each opening
  }
  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(test::WaitUntil([&] { return OpenDescriptors() == fds && Threads() == threads; }))
      << "descriptors " << fds << " -> " << OpenDescriptors() << ", threads " << threads << " -> "
      << Threads();

  form->CommBox->setCurrentIndex(entry);
  form->Logic().CommBoxCloseUp();
  Click(form->READ_BTN);
  EXPECT_EQ(InfoLine(), "Loading OK");
}

}  // namespace
}  // namespace kx71::e2e
