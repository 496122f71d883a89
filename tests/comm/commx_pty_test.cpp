// The component on pseudo-terminal pairs: the real Linux device layer end to end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <sys/stat.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "comm/CommX.h"
#include "comm/plain_main_thread.h"
#include "pty_line.h"
#include "support/comm_test_util.h"

namespace kx71::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kMsgCannotOpen = "ポートをオープンできませんでした";

class PtyComm : public ::testing::Test {
 protected:
  std::unique_ptr<TCommX> Make(std::int32_t portNo = 7) {
    auto c = std::make_unique<TCommX>(main, TCommXEnvironment{{}, pauses.Hook()});
    c->SetPortNo(portNo);
    c->SetFlowCtrl(cfcNone);
    return c;
  }

  TCountingMainThread main;
  TPtyDeviceMap map;
  TPtyLine& pty = map.Add(7);
  TPauseLog pauses;
};

TEST(PtyLine, AFailedLinkLeavesNoDescriptorOpen) {
  const auto openDescriptors = [] {
    const auto n = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    return n - 1;  // the listing's own
  };
  TPtyDeviceMap map;
  const auto taken = map.Dir() / "COM5";
  std::ofstream(taken) << "not a link";  // a plain file where the link would go
  const auto before = openDescriptors();
  EXPECT_THROW(TPtyLine(taken.string(), true), std::system_error);
  EXPECT_EQ(openDescriptors(), before);
}

TEST_F(PtyComm, OpenAndCloseKeepTheirSequence) {
  auto c = Make();
  EXPECT_FALSE(c->IsOpen());
  EXPECT_EQ(c->Handle(), INVALID_HANDLE_VALUE_U32);
  c->Close();  // closed: nothing, no pause
  EXPECT_TRUE(pauses.pauses.empty());

  for (int cycle = 0; cycle < 3; ++cycle) {
    pauses.pauses.clear();
    c->Open();
    EXPECT_TRUE(c->IsOpen());
    const std::uint32_t handle = c->Handle();
    EXPECT_NE(handle, INVALID_HANDLE_VALUE_U32);
    EXPECT_EQ(pauses.pauses, (std::vector<std::int32_t>{100}));

    try {
      c->Open();
      ADD_FAILURE() << "second Open did not raise";
    } catch (const ECommError& e) {
      EXPECT_STREQ(e.what(), "ポートは、すでにオープンされています");
    }
    EXPECT_TRUE(c->IsOpen());
    EXPECT_EQ(c->Handle(), handle);

    c->Close();
    EXPECT_FALSE(c->IsOpen());
    EXPECT_EQ(c->Handle(), INVALID_HANDLE_VALUE_U32);
    EXPECT_EQ(pauses.pauses, (std::vector<std::int32_t>{100, 100, 200}));
  }
}

TEST_F(PtyComm, CloseReallySleepsItsPausesByDefault) {
  TCommX c(main);
  c.SetPortNo(7);
  c.Open();
  const auto t0 = Clock::now();
  c.Close();
  EXPECT_GE(Clock::now() - t0, 300ms);
}

// Ports that cannot be taken, each with the reason kept beside the fixed message.
struct Refusal {
  const char* what;
  std::int32_t portNo;
  const char* reason;
  // Prepares the refusal (another program holding the port, ...); returns a descriptor to keep
  // open meanwhile, or -1.
  int (*hold)(TPtyDeviceMap& map, TPtyLine& pty);
};

int Nothing(TPtyDeviceMap&, TPtyLine&) {
  return -1;
}

const Refusal kRefusals[] = {
    {"number 0", 0, "no such device", Nothing},
    {"negative number", -1, "no such device", Nothing},
    {"nine digits", 123456789, "no such device", Nothing},
    {"nothing mapped", 8, "no such device", Nothing},
    {"link to a plain file", 9, "no such device",
     [](TPtyDeviceMap& map, TPtyLine&) {
       std::ofstream(map.Dir() / "plain-file") << "not a tty";
       std::filesystem::create_symlink(map.Dir() / "plain-file", map.Dir() / "COM9");
       return -1;
     }},
    {"held with a lock by another program", 7, "port in use by another program",
     [](TPtyDeviceMap&, TPtyLine& pty) {
       const int fd = ::open(pty.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
       EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
       return fd;
     }},
    {"held with the exclusive-use flag alone", 7,
     "port held exclusively; if no program uses it, one that ended without releasing it may have left it so",
     [](TPtyDeviceMap&, TPtyLine& pty) {
       const int fd = ::open(pty.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
       EXPECT_EQ(::ioctl(fd, TIOCEXCL), 0);
       return fd;
     }},
    {"no permission", 7, "permission denied - is your user in group dialout?",
     [](TPtyDeviceMap&, TPtyLine& pty) {
       if (::geteuid() == 0) return -2;  // root passes file permissions
       EXPECT_EQ(::chmod(pty.Device().c_str(), 0), 0);
       return -1;
     }},
};

void PrintTo(const Refusal& r, std::ostream* os) {
  *os << r.what;
}

class PtyCommRefusal : public PtyComm, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PtyCommRefusal, OpenFailsWithTheFixedMessageAndTheReason) {
  const Refusal& r = GetParam();
  const int holder = r.hold(map, pty);
  if (holder == -2) GTEST_SKIP() << "needs a user without root's rights";
  auto c = Make(r.portNo);
  try {
    c->Open();
    ADD_FAILURE() << "opened";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), kMsgCannotOpen);
    EXPECT_EQ(e.Reason(), r.reason);
    if (r.portNo == 7) {
      EXPECT_EQ(e.Device(), (map.Dir() / "COM7").string());
    }
  }
  EXPECT_FALSE(c->IsOpen());
  EXPECT_EQ(c->Handle(), INVALID_HANDLE_VALUE_U32);
  if (holder >= 0) {
    // The other program's hold is left as it was.
    int exclusive = 0;
    ASSERT_EQ(::ioctl(holder, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, std::string(r.what).find("flag") != std::string::npos ? 1 : 0);
    ::close(holder);
  }
  ::chmod(pty.Device().c_str(), 0620);
}

INSTANTIATE_TEST_SUITE_P(Ports, PtyCommRefusal, ::testing::ValuesIn(kRefusals), [](const auto& info) {
  std::string name;
  for (const char ch : std::string(info.param.what))
    name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

// A program killed while it held a pseudo-terminal leaves the exclusive-use flag set for as long as
// the far end is open. With no descriptor of the device left anywhere, root takes it over (and
// clears it on close); a user who cannot open the device is told what may have happened.
TEST_F(PtyComm, ExclusiveFlagLeftByAnEndedProgram) {
  TPtyLine line((map.Dir() / "COM8").string());  // nobody holds its device side
  {
    const int killed = ::open(line.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(killed, 0);
    ASSERT_EQ(::ioctl(killed, TIOCEXCL), 0);
    ::close(killed);  // as the kernel does for a killed program: the flag stays
  }
  auto c = Make(8);
  if (::geteuid() != 0) {
    try {
      c->Open();
      ADD_FAILURE() << "opened";
    } catch (const ECommError& e) {
      EXPECT_EQ(e.Reason(), "port held exclusively; if no program uses it, one that ended without releasing it "
                            "may have left it so");
    }
    return;
  }
  ::testing::internal::CaptureStderr();
  c->Open();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(c->IsOpen());
  EXPECT_NE(said.find("COM8 (" + (map.Dir() / "COM8").string() + "): exclusive-use flag left by a program that "
                      "ended without releasing it"),
            std::string::npos)
      << said;
  c->Close();
  const int after = ::open(line.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(after, 0);
  int exclusive = 1;
  EXPECT_EQ(::ioctl(after, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0) << "the flag outlived the close";
  // Set again while a descriptor stays open, the flag is another program's hold.
  ASSERT_EQ(::ioctl(after, TIOCEXCL), 0);
  EXPECT_THROW(c->Open(), ECommError);
  EXPECT_FALSE(c->IsOpen());
  ::ioctl(after, TIOCNXCL);
  ::close(after);
}

TEST_F(PtyComm, CloseRestoresTheLineSettingsItFound) {
  // The line as a terminal program leaves it: cooked, echoing, another speed.
  const int line = ::open(pty.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(line, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(line, &before), 0);
  before.c_iflag |= ICRNL | IXON;
  before.c_oflag |= OPOST | ONLCR;
  before.c_lflag |= ICANON | ECHO | ISIG;
  before.c_cc[VMIN] = 1;
  ::cfsetspeed(&before, B19200);
  ASSERT_EQ(::tcsetattr(line, TCSANOW, &before), 0);
  ASSERT_EQ(::tcgetattr(line, &before), 0);

  auto c = Make();
  c->Open();
  termios during{};
  ASSERT_EQ(::tcgetattr(line, &during), 0);
  EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);  // raw while the component has it
  c->Close();
  termios after{};
  ASSERT_EQ(::tcgetattr(line, &after), 0);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
  EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
  EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
  ::close(line);
}

TEST_F(PtyComm, AnOpenPortIsHeldExclusively) {
  auto first = Make();
  auto second = Make();
  first->Open();
  EXPECT_THROW(second->Open(), ECommError);
  EXPECT_FALSE(second->IsOpen());

  // Another program is refused too: a normal user's open by the tty (TIOCEXCL); a privileged open
  // passes that, and then the lock refuses it.
  const int other = ::open(pty.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (other < 0) {
    EXPECT_EQ(errno, EBUSY);
  } else {
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    int exclusive = 0;
    EXPECT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    ::close(other);
  }

  first->Close();
  // Released, not left behind on the tty: anyone may open and lock it now.
  const int after = ::open(pty.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(after, 0) << std::strerror(errno);
  int exclusive = 1;
  EXPECT_EQ(::ioctl(after, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_EQ(::flock(after, LOCK_EX | LOCK_NB), 0);
  ::close(after);
  second->Open();
  EXPECT_TRUE(second->IsOpen());
}

TEST_F(PtyComm, ReadOfMoreThanWaitsEndsAtItsTimeOutWithWhatArrived) {
  auto c = Make();
  c->SetTimeOutReceive(300);
  c->Open();
  pty.Send("abc");
  const auto t0 = Clock::now();
  EXPECT_EQ(ReadText(*c, 10), "abc");
  EXPECT_GE(Clock::now() - t0, 290ms);
}

TEST_F(PtyComm, ReadWaitsForAllBytesEvenWhenSomeWereWaiting) {
  auto c = Make();
  c->SetTimeOutReceive(10000);
  c->Open();
  pty.Send("ab");
  ASSERT_TRUE(PumpUntil(main, [&] { return c->InQueueCount() == 2; }));
  // Runs inside the read's message pump: the rest of the reply arrives while the read waits.
  main.Post([&] { pty.Send("cde"); });
  EXPECT_EQ(ReadText(*c, 5), "abcde");
}

TEST_F(PtyComm, ReadRefusesAClosedPortAndANestedRead) {
  auto c = Make();
  char buf[4] = {'q', 'q', 'q', 'q'};
  EXPECT_EQ(c->Read(buf, 4), -1);
  EXPECT_EQ(std::string(buf, 4), "qqqq");

  c->SetTimeOutReceive(10000);
  c->Open();
  EXPECT_EQ(c->Read(nullptr, 4), -1);
  pty.Send("ab");
  std::int32_t nested = 0;
  main.Post([&] {
    char inner[4];
    nested = c->Read(inner, 4);
    pty.Send("cd");
  });
  EXPECT_EQ(ReadText(*c, 4), "abcd");
  EXPECT_EQ(nested, -1);
}

TEST_F(PtyComm, PurgeReceiveEndsAWaitingRead) {
  auto c = Make();
  c->SetTimeOutReceive(20000);
  c->Open();
  main.Post([&] { c->PurgeReceive(); });
  const auto t0 = Clock::now();
  char buf[8];
  EXPECT_EQ(c->Read(buf, 8), -1);
  EXPECT_LT(Clock::now() - t0, 15s);
}

TEST_F(PtyComm, CloseFromAHandlerEndsAWaitingRead) {
  auto c = Make();
  c->SetTimeOutReceive(20000);
  c->Open();
  main.Post([&] { c->Close(); });
  char buf[8];
  EXPECT_EQ(c->Read(buf, 8), -1);
  EXPECT_FALSE(c->IsOpen());
}

TEST_F(PtyComm, ReceivedCharactersAreReportedOncePerArrivalOnTheMainThread) {
  auto c = Make();
  std::vector<std::int32_t> sizes;
  std::atomic<bool> offMain{false};
  const auto mainId = std::this_thread::get_id();
  c->OnReceive = [&](TCustomCommX* sender, std::int32_t n) {
    if (std::this_thread::get_id() != mainId || sender != c.get()) offMain = true;
    sizes.push_back(n);
  };
  c->Open();
  pty.Send("xyz");
  ASSERT_TRUE(PumpUntil(main, [&] { return !sizes.empty() && sizes.back() == 3; }));
  // The kernel may hand the bytes over in more than one piece, each an arrival of its own; once
  // they are in, the unread bytes raise no further reports.
  PumpFor(main, 100ms);
  const std::size_t reports = sizes.size();
  EXPECT_LE(reports, 3u);
  PumpFor(main, 300ms);
  EXPECT_EQ(sizes.size(), reports);
  pty.Send("uvw");
  ASSERT_TRUE(PumpUntil(main, [&] { return sizes.back() == 6; }));
  EXPECT_FALSE(offMain);
}

TEST_F(PtyComm, AHungUpLineFailsReadsWithoutSpinning) {
  auto c = Make();
  c->SetTimeOutReceive(20000);
  int received = 0;
  c->OnReceive = [&](TCustomCommX*, std::int32_t) { ++received; };
  c->Open();
  pty.Send("ab");
  ASSERT_TRUE(PumpUntil(main, [&] { return received == 1; }));
  EXPECT_EQ(ReadText(*c, 2), "ab");

  pty.HangUp();
  const auto t0 = Clock::now();
  char buf[8];
  EXPECT_EQ(c->Read(buf, 8), -1);
  EXPECT_LT(Clock::now() - t0, 15s);
  PumpFor(main, 100ms);
  const int posted = main.posted;
  PumpFor(main, 300ms);  // the receive worker does not keep reporting the dead line
  EXPECT_LE(main.posted - posted, 1);
  EXPECT_TRUE(c->SendString("into the void"));
  c->Close();
  EXPECT_FALSE(c->IsOpen());
}

TEST_F(PtyComm, SettingsApplyWhileOpen) {
  auto c = Make();
  c->Open();
  c->SetBitRate(19200);
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.Master(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B19200));
  EXPECT_EQ(c->TransCharTime(), 1);
  c->SetBitRate(12345);  // not a standard rate
  EXPECT_EQ(c->Dcb().BaudRate, 12345u);

  c->SetFlowCtrl(cfcRtsCts);
  ASSERT_EQ(::tcgetattr(pty.Master(), &t), 0);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);

  // A pseudo-terminal keeps 8 data bits: the setter says so and keeps the value it was given,
  // while the line settings stay usable for the next setter.
  try {
    c->SetCharSize(7);
    ADD_FAILURE() << "7 data bits accepted by a pty";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "通信ビット数の設定でエラーが発生しました");
  }
  EXPECT_EQ(c->CharSize(), 7);
  EXPECT_NO_THROW(c->SetBitRate(9600));

  try {
    c->SetFlowCtrl(cfcDtrDsr);
    ADD_FAILURE() << "DTR/DSR flow control accepted";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "通信フロー制御の設定で失敗しました");
  }
  try {
    c->SetStopBit(csb1p5);  // only with 5 data bits
    ADD_FAILURE() << "1.5 stop bits accepted with 8 data bits";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "通信ストップビット数の設定でエラーが発生しました");
  }
  EXPECT_NO_THROW(c->SetStopBit(csb2));
  c->SetFlowCtrl(cfcXonXoff);
  try {
    c->SetXoffChar(0x11);  // same as XON
    ADD_FAILURE() << "XOFF equal to XON accepted";
  } catch (const ECommError& e) {
    EXPECT_STREQ(e.what(), "Ｘｏｆｆ文字の設定でエラーが発生しました");
  }
  EXPECT_NO_THROW(c->SetRTS(true));  // no modem lines on a pty: nothing happens
  EXPECT_NO_THROW(c->SetDTR(false));
}

TEST_F(PtyComm, ChangingPortNoWhileOpenMovesToTheOtherPort) {
  TPtyLine& other = map.Add(8);
  auto c = Make();
  c->Open();
  c->SetPortNo(8);
  EXPECT_TRUE(c->IsOpen());
  EXPECT_TRUE(c->SendString("hello"));
  EXPECT_EQ(other.Receive(5), "hello");
  EXPECT_TRUE(pty.Drain().empty());
  // The first port was released.
  auto again = Make(7);
  EXPECT_NO_THROW(again->Open());
}

}  // namespace
}  // namespace kx71::testing
