// The unprivileged runs reach the program wherever the build lies, also in a folder that only its
// owner may enter (a checkout in root's home).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "program_run.h"
#include "pty_line.h"

namespace kx71::e2e {
namespace {

TEST(ProgramStaging, UnprivilegedRunStartsAProgramKeptInAPrivateFolder) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "Qt and glib are not built for ThreadSanitizer";
#endif
  if (!CanRunUnprivileged()) GTEST_SKIP() << "needs root to run as another user";
  char dir[] = "/tmp/kx71-private-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);  // made 0700
  const struct RemoveAtEnd {
    const char* path;
    ~RemoveAtEnd() { std::filesystem::remove_all(path); }
  } removeAtEnd{dir};
  const std::filesystem::path program = std::filesystem::path(dir) / "kx71-vantor-manager";
  std::filesystem::copy_file(KX71_PROGRAM_PATH, program);
  TPtyDeviceMap map;
  ShareWithUnprivileged(map.Dir().string(), TRunAs::Unprivileged);
  TProgramRun run(TRunAs::Unprivileged, map.Dir().string(), program.string());
  EXPECT_TRUE(run.Ready()) << run.Diagnosis();
}

}  // namespace
}  // namespace kx71::e2e
