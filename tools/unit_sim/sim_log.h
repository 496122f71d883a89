// The simulated unit's log: one line per event on standard output, "<UTC time> <KIND> <text>".
#pragma once

#include <cstdio>
#include <string_view>

namespace kx71 {

class TSimLog {
 public:
  // Line-buffers `out`, so that every line can be seen as soon as it is written.
  explicit TSimLog(std::FILE* out);
  // Writes "2026-12-08T03:04:12.123456Z KIND text".
  void Line(std::string_view kind, std::string_view text = {});

 private:
  std::FILE* out_;
};

}  // namespace kx71
