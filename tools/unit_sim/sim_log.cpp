#include "sim_log.h"

#include <ctime>

namespace kx71 {

TSimLog::TSimLog(std::FILE* out) : out_(out) {
  std::setvbuf(out_, nullptr, _IOLBF, 0);
}

void TSimLog::Line(std::string_view kind, std::string_view text) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm utc{};
  gmtime_r(&now.tv_sec, &utc);
  char stamp[40];
  const std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
  std::fprintf(out_, "%.*s.%06ldZ %.*s%s%.*s\n", static_cast<int>(n), stamp, now.tv_nsec / 1000,
               static_cast<int>(kind.size()), kind.data(), text.empty() ? "" : " ",
               static_cast<int>(text.size()), text.data());
}

}  // namespace kx71
