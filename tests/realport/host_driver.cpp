// realport-host: boots the guest that runs the serial component on real kernel drivers, plays the
// far ends of its two lines with the simulated unit, and carries out what the guest's tests ask
// of the host: breaks, unplugging and replugging the USB adapter, holding a unit's line, and what
// the line saw (QEMU's serial trace, the unit's log).
//
//   realport-host KERNEL INITRD OUTDIR
//
// The guest's console lines go to OUTDIR/console.log; those of each test program, between
// "@@RUN name" and "@@END name status", to OUTDIR/name.log with the status in OUTDIR/name.status.
// Exits 0 when the guest finished, 77 when QEMU cannot run at all, 1 otherwise.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kGuestLimit = 240s;  // the whole guest run, boot included

// What QEMU's trace says the guest did to its lines after byte `from` of the trace, as words:
// "uart:params=9600,N,8,1", "uart:DTR=1", "uart:RTS=0", "uart:tx=18" (bytes sent in a row),
// "usb:baud=9600", "usb:data=N,8,1", "usb:DTR=1", ... Line levels are told only when they change,
// so the part before `from` is read too, for the levels the lines had.
std::string SummariseLineTrace(const std::string& trace, std::size_t from) {
  std::vector<std::string> words;
  bool dlab = false;
  int uartMcr = -1, usbLines = -1;
  std::size_t at = 0;
  auto add = [&](bool after, const std::string& word) {
    if (!after) return;
    if (word.rfind("uart:tx=", 0) == 0 && !words.empty() && words.back().rfind("uart:tx=", 0) == 0) {
      words.back() = "uart:tx=" + std::to_string(std::stoi(words.back().substr(8)) + 1);
      return;
    }
    words.push_back(word);
  };
  auto lines = [&](bool after, const char* dev, int before, int now) {
    if (before < 0 || ((before ^ now) & 1)) add(after, std::string(dev) + ":DTR=" + ((now & 1) ? "1" : "0"));
    if (before < 0 || ((before ^ now) & 2)) add(after, std::string(dev) + ":RTS=" + ((now & 2) ? "1" : "0"));
  };
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line); at += line.size() + 1) {
    const bool after = at >= from;
    unsigned addr = 0, val = 0, request = 0;
    int baud = 0, data = 0, stop = 0;
    char parity = 0;
    if (const auto p = line.find("serial_write write addr");
        p != std::string::npos &&
        std::sscanf(line.c_str() + p, "serial_write write addr 0x%x val 0x%x", &addr, &val) == 2) {
      if (addr == 3) dlab = (val & 0x80) != 0;
      if (addr == 0 && !dlab) add(after, "uart:tx=1");
      if (addr == 4) {
        lines(after, "uart", uartMcr, static_cast<int>(val & 3));
        uartMcr = static_cast<int>(val & 3);
      }
    } else if (const auto q = line.find("serial_update_parameters");
               q != std::string::npos &&
               std::sscanf(line.c_str() + q,
                           "serial_update_parameters baudrate=%d parity='%c' data=%d stop=%d", &baud, &parity,
                           &data, &stop) == 4) {
      const std::string word = "uart:params=" + std::to_string(baud) + "," + parity + "," +
                               std::to_string(data) + "," + std::to_string(stop);
      if (words.empty() || words.back() != word) add(after, word);
    } else if (const auto c = line.find("got control 0x");
               c != std::string::npos &&
               std::sscanf(line.c_str() + c, "got control 0x%x, value 0x%x", &request, &val) == 2) {
      if (request == 0x4001) {  // modem control: levels in bits 0-1, which of them to set in bits 8-9
        int now = usbLines < 0 ? 0 : usbLines;
        if (val & 0x100) now = (now & ~1) | static_cast<int>(val & 1);
        if (val & 0x200) now = (now & ~2) | static_cast<int>(val & 2);
        lines(after, "usb", usbLines, now);
        usbLines = now;
      }
    } else if (const auto b = line.find("baud rate ");
               b != std::string::npos && std::sscanf(line.c_str() + b, "baud rate %d", &baud) == 1) {
      add(after, "usb:baud=" + std::to_string(baud));
    } else if (const auto d = line.find("parity ");
               d != std::string::npos &&
               std::sscanf(line.c_str() + d, "parity %c, data bits %d, stop bits %d", &parity, &data,
                           &stop) == 3) {
      add(after, std::string("usb:data=") + parity + "," + std::to_string(data) + "," + std::to_string(stop));
    }
  }
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
  return out.empty() ? "-" : out;
}

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// QEMU's machine protocol on a unix socket: one command at a time, events noted on the way.
class TQmp {
 public:
  bool Connect(const std::string& path, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
      fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
      if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        ReadLine(5s);  // the greeting
        return Command(R"({"execute":"qmp_capabilities"})").find("\"return\"") != std::string::npos;
      }
      ::close(fd_);
      fd_ = -1;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  // The reply line ("return" or "error"); events read meanwhile are remembered.
  std::string Command(const std::string& json) {
    const std::string line = json + "\n";
    if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return "";
    for (;;) {
      std::string reply = ReadLine(10s);
      if (reply.empty()) return "";
      if (reply.find("\"event\"") != std::string::npos) {
        events_ += reply;
        continue;
      }
      return reply;
    }
  }

  // Waits until an event containing `text` has come.
  bool WaitEvent(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (events_.find(text) == std::string::npos) {
      if (Clock::now() >= deadline) return false;
      const std::string line =
          ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
      if (line.find("\"event\"") != std::string::npos) events_ += line;
    }
    events_.erase(0, events_.find(text) + text.size());
    return true;
  }

 private:
  std::string ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const auto nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return "";
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) return "";
      buffer_.append(buf, static_cast<std::size_t>(n));
    }
  }

  int fd_ = -1;
  std::string buffer_;
  std::string events_;
};

class TDriver {
 public:
  TDriver(std::string kernel, std::string initrd, fs::path out)
      : kernel_(std::move(kernel)), initrd_(std::move(initrd)), out_(std::move(out)) {}

  int Run() {
    fs::create_directories(out_ / "map");
    console_.open(out_ / "console.log");
    for (int port : {1, 101}) {
      units_[port] = std::make_unique<kx71::TSimProcess>((out_ / "map").string(), port);
      if (!units_[port]->Ready())
        return Fail("the simulated unit did not start on COM" + std::to_string(port));
    }
    if (!StartQemu()) return Skip("cannot start qemu-system-x86_64");
    const std::string qmpPath = (out_ / "qmp.sock").string();
    if (!qmp_.Connect(qmpPath, Clock::now() + 20s)) {
      if (QemuEnded()) {
        if (qemuStatus_ == 127) return Skip("qemu-system-x86_64 is not installed");
        return Fail("QEMU ended at once: " + ReadFrom((out_ / "qemu.err").string(), 0));
      }
      return Fail("no QMP connection");
    }
    const int result = Serve();
    Stop();
    return result;
  }

 private:
  int Fail(const std::string& why) {
    std::fprintf(stderr, "realport-host: %s\n", why.c_str());
    Stop();
    return 1;
  }
  int Skip(const std::string& why) {
    std::printf("SKIPPED: QEMU cannot run here: %s\n", why.c_str());
    std::ofstream(out_ / "skipped") << "QEMU cannot run here: " << why << '\n';
    Stop();
    return 77;
  }

  std::string Pty(int port) { return fs::read_symlink(units_[port]->LinkPath()).string(); }

  bool StartQemu() {
    int in[2], outPipe[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0) return false;
    const std::vector<std::string> args = {
        "qemu-system-x86_64", "-nodefaults", "-no-user-config", "-machine", "pc", "-accel", "tcg", "-smp", "2", "-m",
        "384", "-display", "none", "-no-reboot", "-kernel", kernel_, "-initrd", initrd_, "-append",
        "console=hvc0 quiet loglevel=1 panic=-1",
        // The control channel: the console, so the two lines carry test traffic only.
        "-chardev", "stdio,id=con,signal=off", "-device", "virtio-serial-pci", "-device",
        "virtconsole,chardev=con",
        // ttyS0 (COM1) and ttyUSB0 (COM101), their far ends on the simulated units.
        "-chardev", "serial,id=s0,path=" + Pty(1), "-device", "isa-serial,chardev=s0,id=uart0", "-chardev",
        "serial,id=s1,path=" + Pty(101), "-device", "qemu-xhci,id=xhci", "-device",
        "usb-serial,chardev=s1,id=usbser,bus=xhci.0", "-qmp",
        "unix:" + (out_ / "qmp.sock").string() + ",server=on,wait=off", "-trace", "serial_write", "-trace",
        "serial_update_parameters", "-trace", "usb_serial_handle_control", "-trace", "usb_serial_set_baud",
        "-trace", "usb_serial_set_data", "-D", TracePath()};
    qemu_ = ::fork();
    if (qemu_ < 0) return false;
    if (qemu_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(outPipe[1], 1);
      const int err = ::open((out_ / "qemu.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      std::vector<char*> argv;
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execvp(argv[0], argv.data());
      std::fprintf(stderr, "cannot run qemu-system-x86_64\n");
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(outPipe[1]);
    toGuest_ = in[1];
    fromGuest_ = outPipe[0];
    return true;
  }

  std::string TracePath() const { return (out_ / "trace.log").string(); }

  bool QemuEnded() {
    if (qemu_ <= 0) return true;
    int status;
    if (::waitpid(qemu_, &status, WNOHANG) == qemu_) {
      qemu_ = -1;
      qemuStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }
    return false;
  }

  void Stop() {
    if (qemu_ > 0) {
      const auto deadline = Clock::now() + 5s;
      while (!QemuEnded() && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
      if (qemu_ > 0) {
        ::kill(qemu_, SIGKILL);
        ::waitpid(qemu_, nullptr, 0);
        qemu_ = -1;
      }
    }
    for (auto& [port, unit] : units_) ::kill(unit->Pid(), SIGCONT);  // in case a test left it held
  }

  int Serve() {
    const auto deadline = Clock::now() + kGuestLimit;
    std::string pending;
    while (Clock::now() < deadline) {
      RunDue();
      pollfd p{fromGuest_, POLLIN, 0};
      const int r = ::poll(&p, 1, 20);
      if (r <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(fromGuest_, buf, sizeof buf);
      if (n <= 0) return done_ ? 0 : Fail("the guest ended before it had run every test (see console.log)");
      pending.append(buf, static_cast<std::size_t>(n));
      for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
        const std::string line = Trim(pending.substr(0, nl));
        pending.erase(0, nl + 1);
        Handle(line);
      }
      if (done_) {
        qmp_.Command(R"({"execute":"quit"})");
        return 0;
      }
    }
    return Fail("the guest did not finish in time (see console.log)");
  }

  void Handle(const std::string& line) {
    console_ << line << '\n';
    console_.flush();
    const auto at = line.find("@@");
    if (at == std::string::npos) {
      if (log_) *log_ << line << '\n';
      return;
    }
    std::istringstream words(line.substr(at + 2));
    std::string kind;
    words >> kind;
    if (kind == "RUN") {
      words >> running_;
      log_ = std::make_unique<std::ofstream>(out_ / (running_ + ".log"));
      std::printf("== guest: %s\n", running_.c_str());
    } else if (kind == "END") {
      std::string name, status;
      words >> name >> status;
      log_.reset();
      std::ofstream(out_ / (name + ".status")) << status << '\n';
      std::printf("== guest: %s ended with %s\n", name.c_str(), status.c_str());
    } else if (kind == "DONE") {
      done_ = true;
    } else if (kind == "REQ") {
      std::string id, rest;
      words >> id;
      std::getline(words, rest);
      const std::string reply = Request(Trim(rest.empty() ? rest : rest.substr(1)));
      Reply(id, reply);
    }
    std::fflush(stdout);
  }

  void Reply(const std::string& id, const std::string& text) {
    const std::string line = "@@ACK " + id + " " + text + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
      const ssize_t n = ::write(toGuest_, line.data() + done, line.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  // Actions put off until a time: an unplug while the guest is in the middle of a read.
  void RunDue() {
    if (unplugAt_ && Clock::now() >= *unplugAt_) {
      unplugAt_.reset();
      Unplug();
    }
  }

  std::string Unplug() {
    const std::string r = qmp_.Command(R"({"execute":"device_del","arguments":{"id":"usbser"}})");
    unplugged_ = true;
    return r.find("\"return\"") != std::string::npos ? "ok" : "failed " + r;
  }

  std::string Request(const std::string& text) {
    std::istringstream words(text);
    std::string what;
    words >> what;
    if (what == "break") {
      const std::string r = qmp_.Command(R"({"execute":"chardev-send-break","arguments":{"id":"s0"}})");
      return r.find("\"return\"") != std::string::npos ? "ok" : "failed " + r;
    }
    if (what == "unplug") return Unplug();
    if (what == "unplug-in") {
      int ms = 0;
      words >> ms;
      unplugAt_ = Clock::now() + std::chrono::milliseconds(ms);
      return "ok";
    }
    if (what == "replug") {
      if (unplugged_ && !qmp_.WaitEvent("DEVICE_DELETED", 10s)) return "failed: not deleted";
      unplugged_ = false;
      const std::string r = qmp_.Command(
          R"({"execute":"device_add","arguments":{"driver":"usb-serial","id":"usbser","chardev":"s1","bus":"xhci.0"}})");
      return r.find("\"return\"") != std::string::npos ? "ok" : "failed " + r;
    }
    if (what == "trace-mark") {
      std::error_code ec;
      traceMark_ = fs::file_size(TracePath(), ec);
      return "ok";
    }
    if (what == "trace-since") return SummariseLineTrace(ReadFrom(TracePath(), 0), traceMark_);
    int port = 0;
    words >> port;
    const auto unit = units_.find(port);
    if (unit == units_.end()) return "failed: no unit on COM" + std::to_string(port);
    if (what == "unit") {  // a control command for the simulated unit
      std::string command;
      std::getline(words, command);
      return unit->second->Control(Trim(command.empty() ? command : command.substr(1))) ? "ok" : "failed";
    }
    if (what == "hold") return ::kill(unit->second->Pid(), SIGSTOP) == 0 ? "ok" : "failed";
    if (what == "release") return ::kill(unit->second->Pid(), SIGCONT) == 0 ? "ok" : "failed";
    if (what == "rx-mark") {
      rxMark_[port] = unit->second->Log().size();
      return "ok";
    }
    if (what == "rx-since") return ReceivedSince(*unit->second, rxMark_[port]);
    return "failed: unknown request";
  }

  static std::string ReadFrom(const std::string& path, std::uintmax_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // What the unit received since the mark, as hexadecimal, once its log has been still for a while.
  static std::string ReceivedSince(kx71::TSimProcess& unit, std::size_t mark) {
    std::size_t lines = unit.Log().size();
    for (auto still = Clock::now(), end = Clock::now() + 10s; Clock::now() < end;) {
      std::this_thread::sleep_for(50ms);
      const std::size_t now = unit.Log().size();
      if (now != lines) {
        lines = now;
        still = Clock::now();
      } else if (Clock::now() - still >= 1000ms) {  // longer than the unit waits for a request's rest
        break;
      }
    }
    std::string hex;
    const auto log = unit.Log();
    for (std::size_t i = mark; i < log.size(); ++i) {
      const std::string& l = log[i];
      if (l.rfind("RX ", 0) == 0 || l.rfind("DROP ", 0) == 0) hex += l.substr(l.find(' ') + 1) + " ";
    }
    return Trim(hex);
  }

  std::string kernel_, initrd_;
  fs::path out_;
  std::map<int, std::unique_ptr<kx71::TSimProcess>> units_;
  std::map<int, std::size_t> rxMark_;
  TQmp qmp_;
  pid_t qemu_ = -1;
  int qemuStatus_ = 0;
  int toGuest_ = -1, fromGuest_ = -1;
  std::ofstream console_;
  std::unique_ptr<std::ofstream> log_;
  std::string running_;
  bool done_ = false;
  bool unplugged_ = false;
  std::optional<Clock::time_point> unplugAt_;
  std::uintmax_t traceMark_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: realport-host KERNEL INITRD OUTDIR\n");
    return 2;
  }
  ::signal(SIGPIPE, SIG_IGN);
  std::error_code ec;
  fs::remove_all(argv[3], ec);
  return TDriver(argv[1], argv[2], argv[3]).Run();
}
