// realport_probe DEVICE: opens DEVICE as another program would and prints what happened, e.g.
// "open=OK flock=EWOULDBLOCK" or "open=EBUSY".
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
const char* Name(int e) {
  switch (e) {
    case EBUSY:
      return "EBUSY";
    case EWOULDBLOCK:
      return "EWOULDBLOCK";
    case EACCES:
      return "EACCES";
    case ENOENT:
      return "ENOENT";
    default:
      return std::strerror(e);
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    std::printf("open=%s\n", Name(errno));
    return 0;
  }
  const int locked = ::flock(fd, LOCK_EX | LOCK_NB);
  std::printf("open=OK flock=%s\n", locked == 0 ? "OK" : Name(errno));
  ::close(fd);
  return 0;
}
