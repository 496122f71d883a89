// Modem lines for pseudo-terminals, preloaded into Wine (LD_PRELOAD) by scripts/test-windows: a host
// library, not part of the Windows build.
//
// A pseudo-terminal has no modem lines, so the modem ioctls fail with ENOTTY, and Wine then fails
// EscapeCommFunction and cannot wait for line events. Where the real ioctl refuses, this library
// keeps the lines itself, wired like a loop-back plug: RTS drives CTS, DTR drives DSR, and carrier
// detect is always on. Each change of RTS or DTR is appended to the file named by KX71_MODEM_LOG as
// "<UTC time> <pid> RTS|DTR 0|1", the time stamped as the simulated unit stamps its log
// ("2026-12-08T03:04:12.123456Z"), so a test can check the sequence its calls produced and order it
// against what the unit saw.
//
// Only kernel headers are used: glibc's <sys/ioctl.h> would declare ioctl() with another signature.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#ifndef TIOCM_RTS
#define TIOCM_LE 0x001
#define TIOCM_DTR 0x002
#define TIOCM_RTS 0x004
#define TIOCM_CTS 0x020
#define TIOCM_CAR 0x040
#define TIOCM_DSR 0x100
#endif

namespace {

constexpr int kMaxFd = 4096;
using IoctlFn = int (*)(int, unsigned long, ...);

std::mutex g_lock;
int g_lines[kMaxFd];  // RTS and DTR as set, per descriptor the real ioctl refused

IoctlFn RealIoctl() {
  static const IoctlFn real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
  return real;
}

void LogChange(const char* line, bool on) {
  const char* path = std::getenv("KX71_MODEM_LOG");
  if (path == nullptr || *path == '\0') return;
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm utc{};
  gmtime_r(&ts.tv_sec, &utc);
  char stamp[40];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
  char text[128];
  const int n =
      std::snprintf(text, sizeof text, "%s.%06ldZ %d %s %d\n", stamp, static_cast<long>(ts.tv_nsec / 1000),
                    static_cast<int>(getpid()), line, on ? 1 : 0);
  const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written =
      write(fd, text, static_cast<size_t>(n));  // one line, appended whole
  close(fd);
}

// Applies a modem request to the kept lines; the bits read back for TIOCMGET.
int Emulate(int fd, unsigned long request, int* arg) {
  std::lock_guard lock(g_lock);
  int& lines = g_lines[fd];
  const int before = lines;
  const int bits = arg != nullptr ? *arg & (TIOCM_RTS | TIOCM_DTR) : 0;
  switch (request) {
    case TIOCMBIS:
      lines |= bits;
      break;
    case TIOCMBIC:
      lines &= ~bits;
      break;
    case TIOCMSET:
      lines = bits;
      break;
    case TIOCMGET:
      if (arg == nullptr) return -1;
      *arg =
          lines | TIOCM_CAR | ((lines & TIOCM_RTS) ? TIOCM_CTS : 0) | ((lines & TIOCM_DTR) ? TIOCM_DSR : 0);
      return 0;
    default:
      return -1;
  }
  if ((before ^ lines) & TIOCM_RTS) LogChange("RTS", (lines & TIOCM_RTS) != 0);
  if ((before ^ lines) & TIOCM_DTR) LogChange("DTR", (lines & TIOCM_DTR) != 0);
  return 0;
}

}  // namespace

namespace {

int Intercept(IoctlFn real, int fd, unsigned long request, void* arg) {
  const int result = real(fd, request, arg);
  const bool modem = request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET;
  if (result == 0 || !modem || (errno != ENOTTY && errno != EINVAL) || fd < 0 || fd >= kMaxFd) return result;
  if (Emulate(fd, request, static_cast<int*>(arg)) != 0) return result;
  errno = 0;
  return 0;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  return Intercept(RealIoctl(), fd, request, arg);
}

#if defined(__i386__)
// 32-bit glibc built with 64-bit time (as Debian's 32-bit Wine is) calls this one instead.
extern "C" int __ioctl_time64(int fd, unsigned long request, ...) {
  static const IoctlFn real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "__ioctl_time64"));
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  return Intercept(real != nullptr ? real : RealIoctl(), fd, request, arg);
}
#endif
