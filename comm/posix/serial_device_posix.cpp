// Serial devices on Linux: a tty opened non-blocking and exclusively (flock + TIOCEXCL), a raw line
// set through termios2 (any bit rate), reads and writes against monotonic deadlines, line events
// from an edge-triggered epoll, and eventfds that wake the waiting workers.
//
// Only the kernel's termios2 definitions are used here (glibc's <termios.h> clashes with them).
#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "comm/port_map.h"
#include "comm/port_names.h"
#include "comm/posix/unique_fd.h"
#include "comm/serial_device.h"

namespace kx71 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kHeldExclusively =
    "port held exclusively; if no program uses it, one that ended without releasing it may have left it so";
constexpr const char* kStaleFlagTaken =
    "exclusive-use flag left by a program that ended without releasing it; no program has the port open, "
    "so it was taken over";

// Whether no descriptor of the device behind `own` is open but `own` itself. Without root, another
// user's descriptors cannot be read and the answer is false; root may still be kept out of a few
// (a sandbox's init), which are then no program of a user and are passed over.
bool NoOtherDescriptor(int own) {
  namespace fs = std::filesystem;
  struct stat mine {};
  if (::fstat(own, &mine) != 0) return false;
  const bool root = ::geteuid() == 0;
  const auto passable = [root](int error) {
    return error == ENOENT || (root && (error == EACCES || error == EPERM));  // gone, or hidden from root
  };
  const std::string self = std::to_string(::getpid());
  const std::string ownName = std::to_string(own);
  std::error_code ec;
  fs::directory_iterator process("/proc", ec);
  const fs::directory_iterator end;
  if (ec) return false;
  for (; process != end; process.increment(ec)) {
    if (ec) return false;
    const std::string pid = process->path().filename().string();
    if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    std::error_code listed;
    fs::directory_iterator entry(process->path() / "fd", listed);
    if (listed) {
      if (passable(listed.value())) continue;
      return false;
    }
    for (; entry != end; entry.increment(listed)) {
      if (listed) break;  // the process ended while being looked at
      if (pid == self && entry->path().filename() == ownName) continue;
      struct stat st {};
      if (::stat(entry->path().c_str(), &st) != 0) {
        if (passable(errno)) continue;
        return false;
      }
      if (S_ISCHR(st.st_mode) && st.st_rdev == mine.st_rdev) return false;
    }
  }
  return true;
}

// With IGNBRK a break queues nothing, so nothing wakes a wait for input: the driver's counters are
// looked at this often instead (only on devices that keep them).
constexpr int kCounterPollMs = 20;

// Milliseconds from now until `deadline`, limited to what poll() takes; 0 once it has passed.
int MsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// A deadline `ms` (taken as unsigned) from now; 0 means none, as the driver's total time-outs do.
Clock::time_point DeadlineAfter(std::uint32_t ms) {
  if (ms == 0) return Clock::time_point::max();
  return Clock::now() + std::chrono::milliseconds(ms);
}

void DrainEventFd(int fd) {
  std::uint64_t value;
  while (::read(fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) {
  }
}

void SignalEventFd(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(fd, &one, sizeof one);
}

int IoctlRetry(int fd, unsigned long request, void* arg) {
  int r;
  do r = ::ioctl(fd, request, arg);
  while (r < 0 && errno == EINTR);
  return r;
}

tcflag_t SizeFlag(std::uint8_t bits) {
  switch (bits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

// The standard code for `rate`, or BOTHER (the rate then goes in c_ispeed/c_ospeed).
tcflag_t SpeedCode(std::uint32_t rate) {
  static constexpr struct {
    std::uint32_t rate;
    tcflag_t code;
  } kCodes[] = {{50, B50},           {75, B75},           {110, B110},         {134, B134},
                {150, B150},         {200, B200},         {300, B300},         {600, B600},
                {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
                {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
                {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
                {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
                {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
                {3500000, B3500000}, {4000000, B4000000}};
  for (const auto& c : kCodes)
    if (c.rate == rate) return c.code;
  return BOTHER;
}

// The parts of the line that SetState sets and reads back.
struct LineBits {
  speed_t speed;
  tcflag_t cflag;
  tcflag_t iflag;
  bool operator==(const LineBits&) const = default;
};

constexpr tcflag_t kCflagMask = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
constexpr tcflag_t kIflagMask = IXON | IXOFF;

LineBits BitsOf(const termios2& t) {
  return {t.c_ospeed, t.c_cflag & kCflagMask, t.c_iflag & kIflagMask};
}

// Whether the driver kept a requested rate, allowing the small error a divisor brings.
bool SpeedClose(speed_t want, speed_t got) {
  const auto diff = want > got ? want - got : got - want;
  return static_cast<std::uint64_t>(diff) * 50 <= want;  // 2 %
}

class TPosixSerialDevice final : public TSerialDevice {
 public:
  // Takes over an open tty descriptor; usable once Setup() has succeeded.
  explicit TPosixSerialDevice(TUniqueFd fd) : fd_(std::move(fd)) {}

  ~TPosixSerialDevice() override {
    // The line's settings and its exclusive-use flag belong to the tty, not to this descriptor:
    // both would outlive the close. Only a flag this component set is cleared.
    if (savedLine_) IoctlRetry(fd_, TCSETS2, &*savedLine_);
    if (exclusive_) ::ioctl(fd_, TIOCNXCL);
  }

  // False with the reason in errno.
  bool Setup() {
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) errno = EBUSY;
      return false;
    }
    // A program that holds the tty with the exclusive-use flag alone (no flock) holds it too; root
    // would get past the flag, and clearing it on close would take it from that program.
    // The flag outlives a program killed before it could clear it, for as long as the line's other
    // end is open (a pseudo-terminal); with no descriptor of the device left but ours, it is stale.
    int held = 0;
    if (::ioctl(fd_, TIOCGEXCL, &held) == 0 && held != 0) {
      if (!NoOtherDescriptor(fd_)) {
        heldByFlag_ = true;
        errno = EBUSY;
        return false;
      }
      staleFlag_ = true;
    }
    termios2 t{};
    if (IoctlRetry(fd_, TCGETS2, &t) != 0) return false;
    savedLine_ = t;  // put back on close
    exclusive_ = ::ioctl(fd_, TIOCEXCL) == 0;
    // Raw line: no byte is translated, swallowed or echoed; breaks do not insert NULs; parity errors
    // are counted by the driver while the byte passes through.
    t.c_iflag = IGNBRK;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (IoctlRetry(fd_, TCSETS2, &t) != 0) return false;
    if (IoctlRetry(fd_, TCGETS2, &t) != 0) return false;
    dcb_.BaudRate = t.c_ospeed;
    dcb_.ByteSize = (t.c_cflag & CSIZE) == CS5   ? 5
                    : (t.c_cflag & CSIZE) == CS6 ? 6
                    : (t.c_cflag & CSIZE) == CS7 ? 7
                                                 : 8;
    dcb_.Parity = (t.c_cflag & PARENB) == 0 ? 0 : (t.c_cflag & PARODD) ? 1 : 2;
    dcb_.StopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    dcb_.Flags = kDcbBinary | kDcbDtrEnable | kDcbRtsEnable | ((t.c_cflag & CRTSCTS) ? kDcbOutxCtsFlow : 0);
    dcb_.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb_.XoffChar = static_cast<char>(t.c_cc[VSTOP]);

    rxWake_ = TUniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    txWake_ = TUniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    epoll_ = TUniqueFd(::epoll_create1(EPOLL_CLOEXEC));
    if (!rxWake_ || !txWake_ || !epoll_) return false;
    // Edge-triggered on the tty: one report per arrival, none for bytes that merely stay unread.
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLET;
    ev.data.fd = fd_;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd_, &ev) != 0) return false;
    ev.events = EPOLLIN;
    ev.data.fd = rxWake_;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, rxWake_, &ev) != 0) return false;
    hasCounters_ = ReadCounters(&errorBase_);
    breakBase_ = errorBase_.brk;
    return true;
  }

  // Whether Setup found the exclusive-use flag left over and took it over, or refused because the
  // flag alone (no lock) showed another holder.
  bool TookStaleFlag() const { return staleFlag_; }
  bool HeldByFlag() const { return heldByFlag_; }

  std::uint32_t NativeHandle() const override { return static_cast<std::uint32_t>(fd_); }

  bool SetQueueSizes(std::int32_t inBytes, std::int32_t outBytes) override {
    return inBytes >= 0 && outBytes >= 0;  // the tty's buffers are fixed by the kernel
  }

  TCommDcb GetState() override {
    std::lock_guard lock(stateLock_);
    return dcb_;
  }

  bool SetState(const TCommDcb& dcb) override {
    // Rejected as the Windows driver rejects them; DTR/DSR flow has no Linux counterpart.
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 2) return false;
    if (dcb.StopBits > 2 || (dcb.StopBits == 1 && dcb.ByteSize != 5) ||
        (dcb.StopBits == 2 && dcb.ByteSize == 5))
      return false;
    if ((dcb.Flags & kDcbOutxDsrFlow) || (dcb.Flags & kDcbDtrControlMask) == kDcbDtrHandshake) return false;
    const bool xonXoff = (dcb.Flags & (kDcbOutX | kDcbInX)) != 0;
    if (xonXoff && dcb.XonChar == dcb.XoffChar) return false;
    const bool rtsCts = (dcb.Flags & kDcbOutxCtsFlow) || (dcb.Flags & kDcbRtsControlMask) == kDcbRtsHandshake;

    termios2 old{};
    if (IoctlRetry(fd_, TCGETS2, &old) != 0) return false;
    termios2 t = old;
    t.c_cflag &= ~(CBAUD | CIBAUD | kCflagMask);
    // Standard rates keep their codes so every termios reader sees them; others go as BOTHER.
    const tcflag_t speed = SpeedCode(dcb.BaudRate);
    t.c_cflag |= speed | (speed << IBSHIFT) | SizeFlag(dcb.ByteSize);
    t.c_ispeed = t.c_ospeed = dcb.BaudRate;
    if (dcb.Parity != 0) t.c_cflag |= PARENB | (dcb.Parity == 1 ? PARODD : 0);
    if (dcb.StopBits != 0) t.c_cflag |= CSTOPB;  // with 5 data bits a UART sends 1.5 stop bits for it
    if (rtsCts) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~kIflagMask;
    if (dcb.Flags & kDcbOutX) t.c_iflag |= IXON;
    if (dcb.Flags & kDcbInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);

    // The kernel takes what it can and says nothing of the rest, so read the line back.
    termios2 got{};
    const LineBits want = BitsOf(t);
    if (IoctlRetry(fd_, TCSETS2, &t) != 0 || IoctlRetry(fd_, TCGETS2, &got) != 0 ||
        !SpeedClose(want.speed, got.c_ospeed) || BitsOf(got).cflag != want.cflag ||
        BitsOf(got).iflag != want.iflag) {
      IoctlRetry(fd_, TCSETS2, &old);
      return false;
    }
    std::uint32_t before;
    {
      std::lock_guard lock(stateLock_);
      before = linesSet_ ? dcb_.Flags : ~dcb.Flags;
      dcb_ = dcb;
      linesSet_ = true;
    }
    rtsHandshake_ = rtsCts;
    // A line not under handshake is set by its control mode when that mode changes (as the Windows
    // driver does), so a line the program set by hand keeps its level across other settings.
    if ((before ^ dcb.Flags) & kDcbDtrControlMask)
      SetModemLine(TIOCM_DTR, (dcb.Flags & kDcbDtrControlMask) == kDcbDtrEnable);
    if (!rtsCts && ((before ^ dcb.Flags) & kDcbRtsControlMask))
      SetModemLine(TIOCM_RTS, (dcb.Flags & kDcbRtsControlMask) == kDcbRtsEnable);
    return true;
  }

  bool SetTimeouts(std::int32_t readTotalMs, std::int32_t writeTotalMs) override {
    readTotal_ = static_cast<std::uint32_t>(readTotalMs);
    writeTotal_ = static_cast<std::uint32_t>(writeTotalMs);
    return true;
  }

  void Purge(std::uint32_t flags) override {
    if (flags & kPurgeTxAbort) {
      ++txAbort_;
      SignalEventFd(txWake_);
    }
    if (flags & kPurgeRxAbort) ++rxAbort_;
    if (flags & kPurgeTxClear) ::ioctl(fd_, TCFLSH, TCOFLUSH);
    if (flags & kPurgeRxClear) ::ioctl(fd_, TCFLSH, TCIFLUSH);
  }

  TLineStatus ClearErrors() override {
    TLineStatus status;
    int queued = 0;
    if (::ioctl(fd_, TIOCINQ, &queued) == 0) status.inQueue = queued;
    serial_icounter_struct now{};
    if (!ReadCounters(&now)) return status;  // no counters (pseudo-terminals): no errors to tell
    std::lock_guard lock(stateLock_);
    if (now.overrun != errorBase_.overrun) status.errors |= kCeOverrun;
    if (now.parity != errorBase_.parity) status.errors |= kCeRxParity;
    if (now.frame != errorBase_.frame) status.errors |= kCeFrame;
    if (now.buf_overrun != errorBase_.buf_overrun) status.errors |= kCeRxOver;
    if (now.brk != errorBase_.brk) status.errors |= kCeBreak;
    errorBase_ = now;
    return status;
  }

  void Escape(TEscape fn) override {
    switch (fn) {
      case TEscape::SetRts:
      case TEscape::ClrRts:
        if (!rtsHandshake_) SetModemLine(TIOCM_RTS, fn == TEscape::SetRts);  // the driver owns RTS then
        break;
      case TEscape::SetDtr:
      case TEscape::ClrDtr:
        SetModemLine(TIOCM_DTR, fn == TEscape::SetDtr);
        break;
    }
  }

  void SetEventMask(std::uint32_t mask) override { eventMask_ = mask; }

  TIoResult BeginRead(void* buffer, std::int32_t count) override {
    readBuffer_ = static_cast<unsigned char*>(buffer);
    readCount_ = std::max(count, 0);
    readGot_ = 0;
    readDeadline_ = Clock::now() + std::chrono::milliseconds(readTotal_.load());
    readAbort_ = rxAbort_.load();
    return ContinueRead();
  }

  TIoResult PollRead(int waitMs) override {
    if (rxAbort_ != readAbort_) return {TIoState::Failed, readGot_};
    pollfd p{fd_, POLLIN, 0};
    int r;
    do r = ::poll(&p, 1, std::min(waitMs, MsUntil(readDeadline_)));
    while (r < 0 && errno == EINTR);
    const std::int32_t before = readGot_;
    const TIoResult result = ContinueRead();
    // A hung-up line stays "ready" with nothing to read: the read has failed rather than waiting.
    if (result.state == TIoState::Pending && r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
        readGot_ == before)
      return {TIoState::Failed, readGot_};
    return result;
  }

  TIoResult BeginWrite(const void* data, std::int32_t count) override {
    writeData_ = static_cast<const unsigned char*>(data);
    writeCount_ = std::max(count, 0);
    writeDone_ = 0;
    writeDeadline_ = DeadlineAfter(writeTotal_);
    writeAbort_ = txAbort_.load();
    if (!WriteSome()) return {TIoState::Failed, writeDone_};
    return {writeDone_ == writeCount_ ? TIoState::Done : TIoState::Pending, writeDone_};
  }

  TIoResult WaitWrite(std::mutex& portLock) override {
    while (writeDone_ < writeCount_) {
      if (txAbort_ != writeAbort_) return {TIoState::Failed, writeDone_};
      const int wait = writeDeadline_ == Clock::time_point::max() ? -1 : MsUntil(writeDeadline_);
      if (wait == 0) break;  // time-out: done with what went out
      pollfd p[2] = {{fd_, POLLOUT, 0}, {txWake_, POLLIN, 0}};
      const int r = ::poll(p, 2, wait);
      if (r < 0 && errno != EINTR) return {TIoState::Failed, writeDone_};
      if (r <= 0) continue;
      if (p[1].revents & POLLIN) DrainEventFd(txWake_);
      if (p[0].revents & (POLLOUT | POLLERR | POLLHUP | POLLNVAL)) {
        // A purge's flush is what often makes room: look at the abort again under the lock the
        // purge holds, or the rest of the discarded block would go out after it.
        std::lock_guard lock(portLock);
        if (txAbort_ != writeAbort_) return {TIoState::Failed, writeDone_};
        if (!WriteSome()) return {TIoState::Failed, writeDone_};
      }
    }
    return {TIoState::Done, writeDone_};
  }

  bool WaitTransmitted() override {
    // write() returns once the kernel holds the bytes; the UART still has to send them. tcdrain
    // has no time-out, so the queue and the transmitter are polled.
    const std::uint64_t abort = txAbort_;
    const Clock::time_point deadline = DeadlineAfter(writeTotal_);
    for (;;) {
      int queued = 0;
      if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) return false;
      unsigned int lsr = TIOCSER_TEMT;  // drivers without the call count as empty once queued is 0
      if (queued == 0 && (::ioctl(fd_, TIOCSERGETLSR, &lsr) != 0 || (lsr & TIOCSER_TEMT))) return true;
      if (txAbort_ != abort || Clock::now() >= deadline) return false;
      pollfd wake{txWake_, POLLIN, 0};
      ::poll(&wake, 1, std::min(1, MsUntil(deadline)));
    }
  }

  std::uint32_t WaitEvent() override {
    for (;;) {
      epoll_event events[2];
      const int n = ::epoll_wait(epoll_, events, 2, hasCounters_ ? kCounterPollMs : -1);
      if (n < 0) {
        if (errno == EINTR) continue;
        // Not expected on a live descriptor; pause so the receive worker cannot spin on it.
        pollfd wake{rxWake_, POLLIN, 0};
        ::poll(&wake, 1, 20);
        return 0;
      }
      bool woken = false;
      std::uint32_t mask = 0;
      for (int i = 0; i < n; ++i) {
        if (events[i].data.fd == rxWake_) {
          DrainEventFd(rxWake_);
          woken = true;
        } else if (events[i].events & EPOLLIN) {
          mask |= kEvRxChar;
        }
      }
      mask |= CounterEvents();
      mask &= eventMask_;
      if (mask != 0 || woken) return mask;
    }
  }

  void WakeEventWait() override { SignalEventFd(rxWake_); }

 private:
  bool ReadCounters(serial_icounter_struct* out) { return ::ioctl(fd_, TIOCGICOUNT, out) == 0; }

  // Break and error events from the driver's counters (only drivers that keep them).
  std::uint32_t CounterEvents() {
    serial_icounter_struct now{};
    if (!ReadCounters(&now)) {
      hasCounters_ = false;  // gone (an unplugged adapter): wait for input or a wake-up only
      return 0;
    }
    std::lock_guard lock(stateLock_);
    std::uint32_t mask = 0;
    if (now.brk != breakBase_) mask |= kEvBreak;
    breakBase_ = now.brk;
    if (now.overrun != errorBase_.overrun || now.parity != errorBase_.parity ||
        now.frame != errorBase_.frame || now.buf_overrun != errorBase_.buf_overrun)
      mask |= kEvErr;
    return mask;
  }

  void SetModemLine(int line, bool on) {
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);  // ENOTTY on pseudo-terminals: nothing to drive
  }

  // Reads what is waiting; Done once all bytes are in or the deadline has passed.
  TIoResult ContinueRead() {
    while (readGot_ < readCount_) {
      const ssize_t n = ::read(fd_, readBuffer_ + readGot_, static_cast<std::size_t>(readCount_ - readGot_));
      if (n > 0) {
        readGot_ += static_cast<std::int32_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && errno != EAGAIN) {
        return {TIoState::Failed, readGot_};
      } else {
        break;  // nothing waiting (a raw line with VMIN 0 reads 0 then)
      }
    }
    if (readGot_ == readCount_ || Clock::now() >= readDeadline_) return {TIoState::Done, readGot_};
    return {TIoState::Pending, readGot_};
  }

  // Writes as much as the tty takes now; false on a failure other than a full buffer.
  bool WriteSome() {
    while (writeDone_ < writeCount_) {
      const ssize_t n =
          ::write(fd_, writeData_ + writeDone_, static_cast<std::size_t>(writeCount_ - writeDone_));
      if (n > 0) {
        writeDone_ += static_cast<std::int32_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && errno == EAGAIN) {
        return true;
      } else {
        return false;
      }
    }
    return true;
  }

  TUniqueFd fd_;
  bool exclusive_ = false;             // this component set the exclusive-use flag
  std::optional<termios2> savedLine_;  // the line as it was before Open
  TUniqueFd epoll_;
  TUniqueFd rxWake_;
  TUniqueFd txWake_;

  std::mutex stateLock_;  // dcb_ and the counter bases
  TCommDcb dcb_;
  bool linesSet_ = false;  // whether a SetState has set the modem lines yet
  serial_icounter_struct errorBase_{};
  int breakBase_ = 0;
  std::atomic<bool> rtsHandshake_{false};
  bool hasCounters_ = false;  // receive worker (after Setup)
  std::atomic<std::uint32_t> eventMask_{0};
  std::atomic<std::uint32_t> readTotal_{0};
  std::atomic<std::uint32_t> writeTotal_{0};
  std::atomic<std::uint64_t> rxAbort_{0};
  std::atomic<std::uint64_t> txAbort_{0};

  bool staleFlag_ = false;
  bool heldByFlag_ = false;

  // The read in progress (main thread).
  unsigned char* readBuffer_ = nullptr;
  std::int32_t readCount_ = 0;
  std::int32_t readGot_ = 0;
  Clock::time_point readDeadline_;
  std::uint64_t readAbort_ = 0;

  // The write in progress (transmit worker).
  const unsigned char* writeData_ = nullptr;
  std::int32_t writeCount_ = 0;
  std::int32_t writeDone_ = 0;
  Clock::time_point writeDeadline_;
  std::uint64_t writeAbort_ = 0;
};

}  // namespace

std::unique_ptr<TSerialDevice> OpenSerialDevice(std::int32_t portNo) {
  TOpenFailure& failure = LastOpenFailure();
  failure = {"", ENODEV, ""};
  if (!IsOpenablePortNo(portNo)) return nullptr;
  const std::optional<std::string> path = ResolvePortDevice(portNo);
  if (!path) return nullptr;
  failure.device = *path;
  // Opening a device can act on it (a FIFO blocks, /dev/ptmx makes a terminal): open nothing that
  // is not a serial terminal, and make sure the opened file is still the one that was checked.
  struct stat checked {};
  if (::stat(path->c_str(), &checked) != 0) {
    failure.error = errno;
    return nullptr;
  }
  if (!IsSerialTerminalDevice(*path)) {
    failure.error = ENOTTY;
    return nullptr;
  }
  TUniqueFd fd(::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    failure.error = errno;
    // A terminal refuses an open with EBUSY for its exclusive-use flag alone.
    if (failure.error == EBUSY) failure.reason = kHeldExclusively;
    return nullptr;
  }
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != checked.st_rdev) {
    failure.error = ENOTTY;
    return nullptr;
  }
  auto device = std::make_unique<TPosixSerialDevice>(std::move(fd));
  if (!device->Setup()) {
    failure.error = errno;
    if (device->HeldByFlag()) failure.reason = kHeldExclusively;
    return nullptr;
  }
  if (device->TookStaleFlag()) {
    std::fprintf(stderr, "COM%d (%s): %s\n", static_cast<int>(portNo), path->c_str(), kStaleFlagTaken);
  }
  failure = {};
  return device;
}

}  // namespace kx71
