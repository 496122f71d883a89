#include "sim_server.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "hex.h"

namespace kx71 {
namespace {

// How long a partly received write request may wait for its next byte before it is dropped.
constexpr auto kInterByteLimit = std::chrono::milliseconds(500);
// How often the line is looked at while the program has it closed (a hung-up pseudo-terminal
// reports the hang-up on every poll, so it cannot be waited on).
constexpr auto kHangUpRecheck = std::chrono::milliseconds(20);
// How long a write may wait for room on the line before its bytes are given up.
constexpr auto kWriteRoomWait = std::chrono::milliseconds(1000);

timespec ToTimespec(std::chrono::nanoseconds d) {
  if (d.count() < 0) d = {};
  return {static_cast<time_t>(d.count() / 1'000'000'000), static_cast<long>(d.count() % 1'000'000'000)};
}

}  // namespace

TSimServer::TSimServer(TPtyLine& line, TSimUnit& unit, TSimLog& log, TControlPipe* control, SimTiming timing,
                       std::string statePath)
    : line_(line),
      unit_(unit),
      log_(log),
      control_(control),
      timing_(timing),
      statePath_(std::move(statePath)) {}

TSimServer::Clock::duration TSimServer::CharTime() const {
  if (timing_.baud <= 0) return {};
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::nanoseconds(10'000'000'000LL / timing_.baud));
}

bool TSimServer::PauseUntil(Clock::time_point deadline) {
  while (!Stopping()) {
    const auto now = Clock::now();
    if (now >= deadline) return true;
    const timespec ts = ToTimespec(deadline - now);
    ppoll(nullptr, 0, &ts, waitMask_);
  }
  return false;
}

bool TSimServer::Stopping() {
  if (*stop_ != 0) return true;
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (const int signo : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    if (sigismember(stopSignals_, signo) == 1 && sigismember(&pending, signo) == 1) {
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signo);
      const timespec now{};
      sigtimedwait(&one, nullptr, &now);  // take it off the pending set
      *stop_ = signo;
      return true;
    }
  }
  return false;
}

void TSimServer::Run(volatile std::sig_atomic_t& stop, const sigset_t& waitMask,
                     const sigset_t& stopSignals) {
  stop_ = &stop;
  waitMask_ = &waitMask;
  stopSignals_ = &stopSignals;
  bool hungUp = false;
  while (!Stopping()) {
    pollfd fds[2];
    nfds_t n = 0;
    int controlAt = -1, lineAt = -1;
    if (control_) {
      fds[n] = {control_->Fd(), POLLIN, 0};
      controlAt = static_cast<int>(n++);
    }
    if (!hungUp) {
      fds[n] = {line_.Master(), POLLIN, 0};
      lineAt = static_cast<int>(n++);
    }
    timespec ts{};
    const timespec* timeout = nullptr;
    if (hungUp) {
      ts = ToTimespec(kHangUpRecheck);
      timeout = &ts;
    } else if (unit_.Partial()) {
      ts = ToTimespec(partialDeadline_ - Clock::now());
      timeout = &ts;
    }
    const int ready = ppoll(fds, n, timeout, waitMask_);
    if (Stopping()) break;
    if (ready < 0) {
      if (errno == EINTR) continue;
      log_.Line("ERROR", std::string("poll: ") + std::generic_category().message(errno));
      break;
    }
    if (controlAt >= 0 && fds[controlAt].revents != 0) HandleControl();
    if (hungUp) {
      if (!LineHungUp()) {
        hungUp = false;
        log_.Line("RESUME");
      }
    } else if (lineAt >= 0 && fds[lineAt].revents != 0) {
      const short revents = fds[lineAt].revents;
      if ((revents & POLLIN) ? !ServeInput() : (revents & (POLLHUP | POLLERR)) != 0) {
        hungUp = true;
        log_.Line("HANGUP");
      }
    }
    if (unit_.Partial() && Clock::now() >= partialDeadline_) log_.Line("DROP", HexText(unit_.Abandon()));
  }
}

bool TSimServer::LineHungUp() const {
  pollfd fd{line_.Master(), POLLIN, 0};
  return poll(&fd, 1, 0) == 1 && (fd.revents & POLLHUP) != 0;
}

bool TSimServer::ServeInput() {
  char buf[256];
  while (!Stopping()) {
    const ssize_t n = read(line_.Master(), buf, sizeof buf);
    if (n > 0) {
      Receive(buf, static_cast<std::size_t>(n), Clock::now());
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && errno == EAGAIN;  // EIO (or end of file): the program has closed the port
    }
  }
  return true;
}

void TSimServer::Receive(const char* bytes, std::size_t count, Clock::time_point at) {
  Frame dropped;
  const auto flushDropped = [&] {
    if (!dropped.empty()) log_.Line("DROP", HexText(dropped));
    dropped.clear();
  };
  for (std::size_t i = 0; i < count && !Stopping(); ++i) {
    // On a paced line a character is complete one character time after the previous one.
    const auto arrival = CharTime().count() > 0 ? std::max(at, lastArrival_) + CharTime() : at;
    lastArrival_ = arrival;
    TSimUnit::Step step = unit_.Feed(static_cast<std::uint8_t>(bytes[i]));
    switch (step.kind) {
      case TSimUnit::StepKind::Dropped:
        dropped.push_back(bytes[i]);
        break;
      case TSimUnit::StepKind::Pending:
        flushDropped();
        partialDeadline_ = arrival + kInterByteLimit;
        break;
      case TSimUnit::StepKind::Request:
        flushDropped();
        if (!PauseUntil(arrival)) return;
        log_.Line("RX", HexText(step.request));
        if (step.stored) log_.Line("STORE", HexText(unit_.Block()));
        if (!statePath_.empty()) WriteStateFile();
        if (!PauseUntil(Clock::now() + std::chrono::milliseconds(timing_.delayMs))) return;
        Send(step.reply);
        break;
    }
  }
  flushDropped();
}

void TSimServer::Send(const Frame& bytes) {
  if (bytes.empty()) return;
  std::size_t sent = 0;
  if (CharTime().count() > 0) {
    // Each character reaches the far end one character time after the one before it.
    const auto start = Clock::now();
    while (sent < bytes.size() && PauseUntil(start + CharTime() * static_cast<int>(sent + 1)) &&
           line_.Send(std::string_view(&bytes[sent], 1), kWriteRoomWait)) {
      ++sent;
    }
  } else if (line_.Send(bytes, kWriteRoomWait)) {
    sent = bytes.size();
  }
  log_.Line("TX", HexText(std::string_view(bytes).substr(0, sent)));
  if (sent < bytes.size()) log_.Line("TX-LOST", HexText(std::string_view(bytes).substr(sent)));
}

void TSimServer::HandleControl() {
  for (const std::string& text : control_->ReadLines()) {
    const auto cmd = ParseSimCommand(text);
    if (!cmd) {
      log_.Line("CTRL-ERROR", text);
      continue;
    }
    Apply(*cmd);
  }
}

void TSimServer::Apply(const SimCommand& cmd) {
  switch (cmd.kind) {
    case SimCommand::Kind::Fault:
      unit_.SetFault(cmd.fault);
      log_.Line("CTRL", std::string("fault ") + SimFaultName(cmd.fault));
      break;
    case SimCommand::Kind::Delay:
      timing_.delayMs = cmd.value;
      log_.Line("CTRL", "delay " + std::to_string(cmd.value));
      break;
    case SimCommand::Kind::Baud:
      timing_.baud = cmd.value;
      log_.Line("CTRL", "baud " + std::to_string(cmd.value));
      break;
    case SimCommand::Kind::Block:
      unit_.SetBlock(cmd.block);
      log_.Line("CTRL", "block " + HexText(cmd.block));
      break;
    case SimCommand::Kind::Send:
      log_.Line("CTRL", "send " + HexText(cmd.bytes));
      Send(cmd.bytes);
      break;
    case SimCommand::Kind::State:
      log_.Line("CTRL", "state");
      break;
  }
  ReportState();
}

void TSimServer::ReportState() {
  log_.Line("STATE", std::string("fault=") + SimFaultName(unit_.Fault()) +
                         " delay=" + std::to_string(timing_.delayMs) +
                         " baud=" + std::to_string(timing_.baud) + " reads=" + std::to_string(unit_.Reads()) +
                         " writes=" + std::to_string(unit_.Writes()) + " block=" + HexText(unit_.Block()));
  if (!statePath_.empty()) WriteStateFile();
}

void TSimServer::WriteStateFile() const {
  // Written aside and renamed over the old file, so a reader never sees half a state.
  const std::string temp = statePath_ + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "w");
  if (!f) {
    log_.Line("ERROR", "state file " + temp + ": " + std::generic_category().message(errno));
    return;
  }
  std::fprintf(f, "block %s\nfault %s\ndelay %d\nbaud %d\nreads %d\nwrites %d\n",
               HexText(unit_.Block()).c_str(), SimFaultName(unit_.Fault()), timing_.delayMs, timing_.baud,
               unit_.Reads(), unit_.Writes());
  const bool ok = std::fclose(f) == 0;
  if (!ok || std::rename(temp.c_str(), statePath_.c_str()) != 0) {
    log_.Line("ERROR", "state file " + statePath_ + ": " + std::generic_category().message(errno));
  }
}

}  // namespace kx71
