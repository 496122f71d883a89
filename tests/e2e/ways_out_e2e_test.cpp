// The ways out of the built program while something covers its window: the failure box (a port
// name that is not a number in the device map) or the port list dropped down. Each must end the
// program as the exit button does: the port released and exit status 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "program_run.h"
#include "pty_line.h"
#include "sim_process.h"

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
  ASSERT_TRUE(program_->Ready()) << program_->Stderr();
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

}  // namespace
}  // namespace kx71::e2e
