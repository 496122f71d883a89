#include "control.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "hex.h"
#include "text/int_text.h"

namespace kx71 {

std::optional<SimCommand> ParseSimCommand(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  const auto space = line.find(' ');
  const std::string_view word = line.substr(0, space);
  const std::string_view arg = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
  SimCommand cmd;
  if (word == "state" && arg.empty()) {
    cmd.kind = SimCommand::Kind::State;
  } else if (word == "fault") {
    const auto fault = ParseSimFault(arg);
    if (!fault) return std::nullopt;
    cmd.kind = SimCommand::Kind::Fault;
    cmd.fault = *fault;
  } else if (word == "delay" || word == "baud") {
    const auto value = ParseIntText(arg);
    if (!value || *value < 0) return std::nullopt;
    cmd.kind = word == "delay" ? SimCommand::Kind::Delay : SimCommand::Kind::Baud;
    cmd.value = *value;
  } else if (word == "block") {
    const auto block = ParseBlockHex(arg);
    if (!block) return std::nullopt;
    cmd.kind = SimCommand::Kind::Block;
    cmd.block = *block;
  } else if (word == "send") {
    const auto bytes = ParseHex(arg);
    if (!bytes || bytes->empty()) return std::nullopt;
    cmd.kind = SimCommand::Kind::Send;
    cmd.bytes = *bytes;
  } else {
    return std::nullopt;
  }
  return cmd;
}

TControlPipe::TControlPipe(std::string path) : path_(std::move(path)) {
  if (mkfifo(path_.c_str(), 0600) == 0) {
    made_ = true;
  } else if (errno != EEXIST) {
    throw std::runtime_error("mkfifo " + path_ + ": " + std::generic_category().message(errno));
  }
  read_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (read_ >= 0) write_ = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (read_ < 0 || write_ < 0) {
    const std::string error = std::generic_category().message(errno);
    if (read_ >= 0) close(read_);
    if (made_) unlink(path_.c_str());
    throw std::runtime_error("control pipe " + path_ + ": " + error);
  }
}

TControlPipe::~TControlPipe() {
  close(write_);
  close(read_);
  if (made_) unlink(path_.c_str());
}

std::vector<std::string> TControlPipe::ReadLines() {
  char buf[512];
  for (;;) {
    const ssize_t n = read(read_, buf, sizeof buf);
    if (n > 0) {
      pending_.append(buf, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = pending_.find('\n', start)) != std::string::npos) {
    lines.push_back(pending_.substr(start, end - start));
    start = end + 1;
  }
  pending_.erase(0, start);
  return lines;
}

}  // namespace kx71
