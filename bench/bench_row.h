// One row of the benchmark report: scripts/bench gathers the rows of every benchmark into a table.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace kx71 {

// Prints "BENCH<TAB>figure<TAB>measured<TAB>aim<TAB>OK|MISSED|-"; `holds` < 0 marks a reference
// figure that has no aim of its own.
inline void BenchRow(int holds, const char* figure, const char* aim, const char* measuredFormat, ...) {
  char measured[128];
  va_list args;
  va_start(args, measuredFormat);
  std::vsnprintf(measured, sizeof measured, measuredFormat, args);
  va_end(args);
  std::printf("BENCH\t%s\t%s\t%s\t%s\n", figure, measured, aim, holds < 0 ? "-" : holds ? "OK" : "MISSED");
  std::fflush(stdout);
}

}  // namespace kx71
