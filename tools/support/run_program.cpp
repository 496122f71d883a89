#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "wait_until.h"

extern char** environ;

namespace kx71 {
namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& outPath,
                          const std::string& errPath, std::chrono::milliseconds limit) {
  TProgramResult result;
  std::vector<std::string> args = argv;
  std::vector<char*> cargv;
  cargv.reserve(args.size() + 1);
  for (std::string& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const auto start = std::chrono::steady_clock::now();
  const int rc = cargv[0] ? posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ) : EINVAL;
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;
  int status = 0;
  // The 1 ms between checks keeps the measured time close to the program's own.
  const bool ended =
      WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit, [] { usleep(1000); });
  result.took =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return result;
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = FileText(outPath);
  result.err = FileText(errPath);
  return result;
}

}  // namespace kx71
