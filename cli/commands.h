// The five commands: each prints its summary lines on `out`, the reasons of failures on `err`, and
// returns the exit status (0 all succeeded, 1 any failed).
#pragma once

#include <cstdio>

#include "cli/command_line.h"

namespace kx71::cli {

inline constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

int RunCommand(const TRequest& request, std::FILE* out, std::FILE* err);

}  // namespace kx71::cli
