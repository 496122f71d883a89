#include "sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "hex.h"

extern char** environ;

namespace kx71 {

TSimProcess::TSimProcess(std::string devicemap, int port, std::vector<std::string> args)
    : devicemap_(std::move(devicemap)), port_(port) {
  const std::string base = devicemap_ + "/unit-sim-" + std::to_string(port);
  logPath_ = base + ".log";
  controlPath_ = base + ".ctl";
  statePath_ = base + ".state";
  std::vector<std::string> argv = {KX71_UNIT_SIM_PATH,   "--devicemap",       devicemap_,   "--port",
                                   std::to_string(port), "--control",         controlPath_, "--state",
                                   statePath_,           "--exit-with-parent"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  cargv.reserve(argv.size() + 1);
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int rc = posix_spawn(&pid_, cargv[0], &actions, nullptr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    return;
  }
  // The state file is written in one step, after the link and the first STATE log line.
  ready_ = WaitUntil([&] {
    return Count("STATE") > 0 && access(LinkPath().c_str(), F_OK) == 0 && access(statePath_.c_str(), F_OK) == 0;
  });
}

TSimProcess::~TSimProcess() {
  Stop();
}

std::string TSimProcess::LinkPath() const {
  return devicemap_ + "/COM" + std::to_string(port_);
}

std::vector<std::string> TSimProcess::Log() const {
  std::vector<std::string> lines;
  std::ifstream in(logPath_);
  std::string line;
  while (std::getline(in, line)) {
    if (in.eof()) break;  // a line still being written
    const auto space = line.find(' ');
    lines.push_back(space == std::string::npos ? line : line.substr(space + 1));
  }
  return lines;
}

std::vector<Frame> TSimProcess::Frames(std::string_view kind) const {
  std::vector<Frame> frames;
  for (const std::string& line : Log()) {
    if (line.size() > kind.size() && line.starts_with(kind) && line[kind.size()] == ' ') {
      frames.push_back(ParseHex(std::string_view(line).substr(kind.size() + 1)).value_or("?"));
    } else if (line == kind) {
      frames.emplace_back();
    }
  }
  return frames;
}

std::size_t TSimProcess::Count(std::string_view kind) const {
  std::size_t n = 0;
  for (const std::string& line : Log()) {
    if (line == kind || (line.starts_with(kind) && line.size() > kind.size() && line[kind.size()] == ' '))
      ++n;
  }
  return n;
}

bool TSimProcess::Control(const std::string& command) {
  if (pid_ < 0) return false;
  const std::size_t applied = Count("CTRL"), before = applied + Count("CTRL-ERROR");
  const int fd = open(controlPath_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const std::string line = command + "\n";
  const bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  close(fd);
  return written && WaitUntil([&] { return Count("CTRL") + Count("CTRL-ERROR") > before; }) &&
         Count("CTRL") > applied;
}

std::optional<SettingsBlock> TSimProcess::StoredBlock() const {
  std::ifstream in(statePath_);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("block ")) return ParseBlockHex(std::string_view(line).substr(6));
  }
  return std::nullopt;
}

bool TSimProcess::Stop() {
  if (pid_ < 0) return false;
  kill(pid_, SIGTERM);
  int status = 0;
  const pid_t done = waitpid(pid_, &status, 0);
  pid_ = -1;
  return done > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace kx71
