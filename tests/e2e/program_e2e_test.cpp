// The built program from outside, as its users and other programs meet it: signals and a lost
// display end it as the exit button does, a destroyed window ends it, and a resize from outside is
// undone. Each run has an X server of its own with no window manager, and runs as this user and,
// when the tests run as root, as an unprivileged one too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "program_run.h"
#include "pty_line.h"
#include "sim_process.h"

namespace kx71::e2e {
namespace {

constexpr int kPort = 90;  // above the on-board ports, so it is the selector's last entry

const char* UserName(TRunAs as) {
  return as == TRunAs::ThisUser ? "ThisUser" : "Unprivileged";
}

class ProgramTest : public ::testing::Test {
 protected:
  // Starts the unit and the program as `as`; false when either did not come up.
  bool Start(TRunAs as, bool share = true) {
#if defined(__SANITIZE_THREAD__)
    // The program's window code runs in Qt and glib, which are not built for ThreadSanitizer and
    // report there; these runs are covered by the plain and AddressSanitizer builds.
    skipped_ = true;
    return false;
#endif
    if (as == TRunAs::Unprivileged && !CanRunUnprivileged()) {
      skipped_ = true;
      return false;
    }
    unit_ = std::make_unique<TSimProcess>(map_.Dir().string(), kPort);
    if (!unit_->Ready()) return false;
    ShareWithUnprivileged(map_.Dir().string(), as);
    if (share) ShareWithUnprivileged(unit_->LinkPath(), as);
    program_ = std::make_unique<TProgramRun>(as, map_.Dir().string());
    return program_->Ready();
  }

  // The user picks the unit's port; true once the program holds it.
  bool OpenUnitPort() {
    return program_->ChooseLastPort() && WaitUntil([&] { return ExclusiveFlag(unit_->LinkPath()) == true; });
  }

  // The program ended by itself and left the port as it found it.
  void ExpectEndedAndPortReleased() {
    const auto status = program_->WaitExit();
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_FALSE(WIFSIGNALED(*status)) << "killed by signal " << WTERMSIG(*status);
    EXPECT_EQ(ExclusiveFlag(unit_->LinkPath()), false) << program_->Stderr();
  }

  std::string Diagnosis() { return program_ ? program_->Diagnosis() : "the unit did not start"; }

  bool skipped_ = false;
  TPtyDeviceMap map_;
  std::unique_ptr<TSimProcess> unit_;
  std::unique_ptr<TProgramRun> program_;
};

#define START_OR_SKIP(as)                                                                           \
  if (!Start(as)) {                                                                                 \
    if (skipped_) GTEST_SKIP() << "not run: unprivileged without root, or a ThreadSanitizer build"; \
    FAIL() << "the program did not show its window: " << Diagnosis();                               \
  }

class ProgramSignalTest : public ProgramTest,
                          public ::testing::WithParamInterface<std::tuple<TRunAs, int>> {};

TEST_P(ProgramSignalTest, EndsLikeTheExitButtonAndReleasesThePort) {
  const auto [as, sig] = GetParam();
  START_OR_SKIP(as);
  ASSERT_TRUE(OpenUnitPort()) << program_->Stderr();
  ASSERT_EQ(kill(program_->Pid(), sig), 0);
  ExpectEndedAndPortReleased();
  const auto status = program_->WaitExit();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << program_->Stderr();
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignalTest,
                         ::testing::Combine(::testing::Values(TRunAs::ThisUser, TRunAs::Unprivileged),
                                            ::testing::Values(SIGTERM, SIGINT, SIGHUP)),
                         [](const auto& info) {
                           return std::string(UserName(std::get<0>(info.param))) + "_" +
                                  sigabbrev_np(std::get<1>(info.param));
                         });

class ProgramWindowTest : public ProgramTest, public ::testing::WithParamInterface<TRunAs> {};

TEST_P(ProgramWindowTest, LostDisplayReleasesThePort) {
  START_OR_SKIP(GetParam());
  ASSERT_TRUE(OpenUnitPort()) << program_->Stderr();
  program_->StopDisplay();
  ExpectEndedAndPortReleased();
}

TEST_P(ProgramWindowTest, DestroyedWindowEndsTheProgramAndReleasesThePort) {
  START_OR_SKIP(GetParam());
  ASSERT_TRUE(OpenUnitPort()) << program_->Stderr();
  ASSERT_TRUE(program_->DestroyWindow());
  ExpectEndedAndPortReleased();
}

TEST_P(ProgramWindowTest, ResizeFromOutsideIsUndone) {
  START_OR_SKIP(GetParam());
  ASSERT_TRUE(WaitUntil([&] { return program_->WindowSize() == "310x416"; }));
  ASSERT_TRUE(program_->Xdo("windowsize " + program_->Window() + " 500 600"));
  EXPECT_TRUE(WaitUntil([&] { return program_->WindowSize() == "310x416"; })) << program_->WindowSize();
  // Only the width or only the height, too.
  ASSERT_TRUE(program_->Xdo("windowsize " + program_->Window() + " 310 700"));
  EXPECT_TRUE(WaitUntil([&] { return program_->WindowSize() == "310x416"; })) << program_->WindowSize();
}

// A port the user may not open: the information line keeps its fixed text, standard error says why.
TEST_F(ProgramTest, PortWithoutPermissionIsExplainedOnStandardError) {
  if (!Start(TRunAs::Unprivileged, false)) {
    if (skipped_) GTEST_SKIP() << "needs root to run as a user without access to the port";
    FAIL() << "the program did not show its window: " << Diagnosis();
  }
  ASSERT_TRUE(program_->ChooseLastPort());
  const std::string line = "COM" + std::to_string(kPort) + " (" + unit_->LinkPath() +
                           "): permission denied - is your user in group dialout?\n";
  EXPECT_TRUE(WaitUntil([&] { return program_->Stderr().find(line) != std::string::npos; }))
      << program_->Stderr();
  EXPECT_EQ(ExclusiveFlag(unit_->LinkPath()), false);
}

// With no session bus about, the bus library would start one with dbus-launch, and the window would
// wait on its answer: a launcher that never answers must neither hold the window back nor be run.
TEST(ProgramStart, TheWindowShowsWithoutLaunchingASessionBus) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "Qt and glib are not built for ThreadSanitizer";
#endif
  char dir[] = "/tmp/kx71-launcher-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const struct RemoveAtEnd {
    const char* path;
    ~RemoveAtEnd() { std::filesystem::remove_all(path); }
  } removeAtEnd{dir};
  const std::filesystem::path launcher = std::filesystem::path(dir) / "dbus-launch";
  const std::filesystem::path ran = std::filesystem::path(dir) / "ran";
  std::ofstream(launcher) << "#!/bin/sh\ntouch '" << ran.string() << "'\nexec sleep 60\n";
  ASSERT_EQ(chmod(launcher.c_str(), 0755), 0);

  TPtyDeviceMap map;
  TProgramRun run(TRunAs::ThisUser, map.Dir().string(), KX71_PROGRAM_PATH, TErrorOutput::File, dir);
  EXPECT_TRUE(run.Ready()) << run.Diagnosis();
  EXPECT_FALSE(std::filesystem::exists(ran)) << "the program ran dbus-launch";
}

INSTANTIATE_TEST_SUITE_P(Users, ProgramWindowTest, ::testing::Values(TRunAs::ThisUser, TRunAs::Unprivileged),
                         [](const auto& info) { return std::string(UserName(info.param)); });

}  // namespace
}  // namespace kx71::e2e
