// The ways out of the built program while something covers its window: the failure box (a port
// name that is not a number in the device map) or the port list dropped down. Each must end the
// program as the exit button does: the port released and exit status 0.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "program_run.h"
#include "pty_line.h"
#include "sim_process.h"
#include "wait_until.h"

namespace kx71::e2e {
namespace {

constexpr int kPort = 90;  // the selector's last entry

enum class TCover { FailureBox, OpenList };
enum class TWayOut { Term, Hup, TwoTerms, DestroyedWindow };

class WaysOutTest : public ::testing::TestWithParam<std::tuple<TCover, TWayOut>> {
 protected:
  TPtyDeviceMap map_;
  std::unique_ptr<TSimProcess> unit_;
  std::unique_ptr<TProgramRun> program_;
};

TEST_P(WaysOutTest, EndTheProgramAsTheExitButtonDoes) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "Qt and glib are not built for ThreadSanitizer";
#endif
  const auto [cover, way] = GetParam();
  unit_ = std::make_unique<TSimProcess>(map_.Dir().string(), kPort);
  ASSERT_TRUE(unit_->Ready());
  program_ = std::make_unique<TProgramRun>(TRunAs::ThisUser, map_.Dir().string());
  ASSERT_TRUE(program_->Ready()) << program_->Diagnosis();
  ASSERT_TRUE(program_->ChooseLastPort());
  ASSERT_TRUE(WaitUntil([&] { return ExclusiveFlag(unit_->LinkPath()) == true; })) << program_->Stderr();

  // Mapped only now, so that the port could be chosen: the next drop-down fails on its name.
  std::optional<TPtyLine> notANumber;
  if (cover == TCover::FailureBox) notANumber.emplace((map_.Dir() / "COMX").string());
  ASSERT_TRUE(program_->Xdo("key F4"));
  ASSERT_TRUE(WaitUntil([&] { return program_->VisibleWindows() >= 2; })) << "nothing came over the window";

  switch (way) {
    case TWayOut::Term:
      ASSERT_EQ(kill(program_->Pid(), SIGTERM), 0);
      break;
    case TWayOut::Hup:
      ASSERT_EQ(kill(program_->Pid(), SIGHUP), 0);
      break;
    case TWayOut::TwoTerms:
      ASSERT_EQ(kill(program_->Pid(), SIGTERM), 0);
      ASSERT_EQ(kill(program_->Pid(), SIGTERM), 0);
      break;
    case TWayOut::DestroyedWindow:
      ASSERT_TRUE(program_->DestroyWindow());
      break;
  }
  const auto status = program_->WaitExit();
  ASSERT_TRUE(status.has_value()) << "still running with " << program_->VisibleWindows() << " windows";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << "; " << program_->Stderr();
  EXPECT_EQ(ExclusiveFlag(unit_->LinkPath()), false) << program_->Stderr();
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<TCover, TWayOut>>& info) {
  static const char* const kWays[] = {"Term", "Hup", "TwoTerms", "DestroyedWindow"};
  const char* cover = std::get<0>(info.param) == TCover::FailureBox ? "FailureBox" : "OpenList";
  return std::string(cover) + "_" + kWays[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Covers, WaysOutTest,
                         ::testing::Combine(::testing::Values(TCover::FailureBox, TCover::OpenList),
                                            ::testing::Values(TWayOut::Term, TWayOut::Hup, TWayOut::TwoTerms,
                                                              TWayOut::DestroyedWindow)),
                         CaseName);

// The reason a port cannot be used goes to standard error; a started-from-a-pipe program whose
// reader has gone must not end on writing it (the port it held would stay held).
TEST(ProgramErrors, AReasonLineToAClosedStandardErrorDoesNotEndTheProgram) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "Qt and glib are not built for ThreadSanitizer";
#endif
  TPtyDeviceMap map;
  TSimProcess unit(map.Dir().string(), kPort);
  ASSERT_TRUE(unit.Ready());
  // The entry before the unit's, locked by another program: choosing it fails with a reason.
  TPtyLine locked((map.Dir() / ("COM" + std::to_string(kPort - 1))).string());
  const int lock = open(locked.Link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);

  TProgramRun program(TRunAs::ThisUser, map.Dir().string(), KX71_PROGRAM_PATH, TErrorOutput::ClosedPipe);
  ASSERT_TRUE(program.Ready()) << program.Diagnosis();
  ASSERT_TRUE(program.Xdo("windowfocus --sync " + program.Window()));
  ASSERT_TRUE(program.Xdo("key --delay 300 F4 End Up Return"));
  // Still there to take the next choice: the unit's port opens.
  ASSERT_TRUE(program.ChooseLastPort());
  EXPECT_TRUE(WaitUntil([&] { return ExclusiveFlag(unit.LinkPath()) == true; }))
      << "status " << program.WaitExit(std::chrono::milliseconds(0)).value_or(-1);

  ASSERT_EQ(kill(program.Pid(), SIGTERM), 0);
  const auto status = program.WaitExit();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status;
  close(lock);
}

}  // namespace
}  // namespace kx71::e2e
