// The far end of the serial line for the Windows tests under Wine: a Linux program (built for the
// host, not for Windows) that owns a pseudo-terminal, keeps a stable symbolic link to its slave side
// (the file Wine's COM port is mapped to) and answers like the unit:
//   0xE5                  -> 0xE5, the block, its checksum                    (18 bytes)
//   0xF5, block, checksum -> the 18 request bytes, then 0x06 (stored) or 0x15 (19 bytes)
// Fixture commands (peer_commands.h), 0xA5, a letter and an argument, let a test stage what the
// unit cannot be asked for: junk in the receive queue, echoes, a reply in two halves, a hang-up.
// Any other byte is ignored. A frame left unfinished for 500 ms is dropped.
//
// Built for the host by scripts/test-windows, not by the Windows build.
//
// The peer makes each slave its controlling terminal (setsid + TIOCSCTTY): otherwise wineserver, a
// session leader that opens the slave without O_NOCTTY, would acquire it and get SIGHUP at hang-up.
//
// Usage: pty_peer --link PATH [--log FILE] [--pidfile FILE] [--block HEX32]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "protocol/exchange.h"
#include "protocol/settings_block.h"
#include "windows/peer_commands.h"

namespace {

using Clock = std::chrono::steady_clock;
volatile sig_atomic_t g_stop = 0;

struct Options {
  std::string link;
  std::string log;
  std::string pidfile;
  kx71::SettingsBlock block = kx71::peer::kInitialBlock;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "pty_peer: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

class Peer {
 public:
  explicit Peer(Options o) : opt_(std::move(o)) {
    if (!opt_.log.empty()) log_ = std::fopen(opt_.log.c_str(), "a");
  }

  // A new pseudo-terminal in raw mode, made this session's controlling terminal and published at
  // the link (renamed into place, so the link never points nowhere).
  void Offer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) Fail("posix_openpt");
    const char* name = ptsname(master_);
    if (name == nullptr) Fail("ptsname");
    slave_ = open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) Fail(std::string("open ") + name);
    if (ioctl(slave_, TIOCSCTTY, 0) != 0) Log("TIOCSCTTY failed: %s", std::strerror(errno));
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    const std::string tmp = opt_.link + ".new";
    unlink(tmp.c_str());
    if (symlink(name, tmp.c_str()) != 0 || rename(tmp.c_str(), opt_.link.c_str()) != 0) Fail("link");
    Log("offer %s", name);
  }

  void HangUp() {
    Log("hang up");
    // The link goes first: a freed pseudo-terminal number may soon belong to another program, and
    // an open through a stale link would reach that one.
    unlink(opt_.link.c_str());
    close(master_);
    close(slave_);
    master_ = slave_ = -1;
  }

  int Run() {
    Offer();
    std::string frame;
    Clock::time_point frameStart{};
    while (!g_stop) {
      pollfd p{master_, POLLIN, 0};
      const int r = poll(&p, 1, 100);
      if (r < 0) {
        if (errno == EINTR) continue;
        Fail("poll");
      }
      if (!frame.empty() && Clock::now() - frameStart > std::chrono::milliseconds(500)) {
        Log("dropped unfinished frame of %zu bytes", frame.size());
        frame.clear();
      }
      if (r == 0) continue;
      // POLLHUP alone: no slave is open at the moment (the test closed the port); keep waiting.
      if (!(p.revents & POLLIN)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      unsigned char buf[512];
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      LogBytes("rx", buf, static_cast<size_t>(n));
      for (ssize_t i = 0; i < n; ++i) {
        if (echo_ > 0) {
          --echo_;
          Send(std::string(1, static_cast<char>(buf[i])));
          continue;
        }
        if (frame.empty()) frameStart = Clock::now();
        frame.push_back(static_cast<char>(buf[i]));
        Handle(frame);
      }
    }
    return 0;
  }

 private:
  // Acts on `frame` once it is complete, then empties it; leaves a frame that needs more bytes.
  void Handle(std::string& frame) {
    const auto first = static_cast<unsigned char>(frame[0]);
    if (first == kx71::kReadCommand) {
      Reply(kx71::BlockFrame(kx71::kReadCommand, opt_.block));
    } else if (first == kx71::kWriteCommand) {
      if (frame.size() < static_cast<size_t>(kx71::kBlockFrameSize)) return;
      const auto block = kx71::CheckedBlock(frame);
      if (block) opt_.block = *block;
      Reply(frame + static_cast<char>(block ? kx71::kAck : kx71::kNak));
    } else if (first == kx71::peer::kPrefix) {
      if (frame.size() < 3) return;
      const auto arg = static_cast<unsigned char>(frame[2]);
      switch (frame[1]) {
        case kx71::peer::kJunk:
          Send(Junk(arg));
          break;
        case kx71::peer::kEcho:
          echo_ = arg;
          break;
        case kx71::peer::kSplit:
          splitMs_ = arg * 10;
          break;
        case kx71::peer::kHangUp:
          HangUp();
          std::this_thread::sleep_for(std::chrono::milliseconds(arg * 10));
          Offer();
          break;
        default:
          Log("unknown fixture command");
      }
    } else {
      Log("ignored byte %02X", first);
    }
    frame.clear();
  }

  static std::string Junk(unsigned count) {
    std::string junk;
    for (unsigned i = 0; i < count; ++i) junk.push_back(static_cast<char>(0x80 + i));
    return junk;
  }

  void Reply(const std::string& bytes) {
    if (splitMs_ > 0) {
      const size_t half = bytes.size() / 2;
      Send(bytes.substr(0, half));
      std::this_thread::sleep_for(std::chrono::milliseconds(splitMs_));
      Send(bytes.substr(half));
      splitMs_ = 0;
    } else {
      Send(bytes);
    }
  }

  void Send(const std::string& bytes) {
    LogBytes("tx", bytes.data(), bytes.size());
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        Log("write failed: %s", std::strerror(errno));
        return;
      }
      done += static_cast<size_t>(n);
    }
  }

  template <typename... A>
  void Log(const char* fmt, A... a) {
    if (!log_) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    std::fprintf(log_, "%lld ", static_cast<long long>(ms.count()));
    if constexpr (sizeof...(A) == 0) {
      std::fputs(fmt, log_);
    } else {
      std::fprintf(log_, fmt, a...);
    }
    std::fputc('\n', log_);
    std::fflush(log_);
  }

  void LogBytes(const char* dir, const void* data, size_t n) {
    std::string hex;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
      std::snprintf(b, sizeof b, "%02X ", static_cast<const unsigned char*>(data)[i]);
      hex += b;
    }
    Log("%s %s", dir, hex.c_str());
  }

  Options opt_;
  FILE* log_ = nullptr;
  int master_ = -1, slave_ = -1;
  unsigned echo_ = 0;
  unsigned splitMs_ = 0;
};

std::optional<kx71::SettingsBlock> ParseBlock(const std::string& hex) {
  if (hex.size() != 2 * kx71::kBlockSize) return std::nullopt;
  kx71::SettingsBlock block{};
  for (size_t i = 0; i < block.size(); ++i) {
    char* end = nullptr;
    const std::string two = hex.substr(2 * i, 2);
    block[i] = static_cast<std::uint8_t>(std::strtoul(two.c_str(), &end, 16));
    if (*end != '\0') return std::nullopt;
  }
  return block;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    if (key == "--link") {
      opt.link = argv[i + 1];
    } else if (key == "--log") {
      opt.log = argv[i + 1];
    } else if (key == "--pidfile") {
      opt.pidfile = argv[i + 1];
    } else if (key == "--block") {
      const auto block = ParseBlock(argv[i + 1]);
      if (!block) {
        std::fprintf(stderr, "pty_peer: --block takes 32 hexadecimal digits\n");
        return 2;
      }
      opt.block = *block;
    }
  }
  if (opt.link.empty()) {
    std::fprintf(stderr, "usage: pty_peer --link PATH [--log FILE] [--pidfile FILE] [--block HEX32]\n");
    return 2;
  }
  // A session of its own, so that each slave can become its controlling terminal. A process group
  // leader cannot start a session, so then the work goes on in a child.
  if (setsid() < 0) {
    const pid_t child = fork();
    if (child < 0) Fail("fork");
    if (child > 0) return 0;
    if (setsid() < 0) Fail("setsid");
  }
  if (!opt.pidfile.empty()) {
    if (FILE* f = std::fopen(opt.pidfile.c_str(), "w")) {
      std::fprintf(f, "%d\n", static_cast<int>(getpid()));
      std::fclose(f);
    }
  }
  signal(SIGHUP, SIG_IGN);  // our own hang-ups reach us as the session leader
  signal(SIGPIPE, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = [](int) { g_stop = 1; };
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  return Peer(std::move(opt)).Run();
}
