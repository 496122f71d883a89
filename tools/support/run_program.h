// Running a program to its end, its output kept in files: the command-line program's tests and
// benchmark start it this way.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kx71 {

struct TProgramResult {
  int status = -1;  // exit status; -1 when it could not start, was killed or ran over the limit
  std::string out, err;
  std::chrono::milliseconds took{};
};

// Runs `argv` (argv[0] the program's path) in this process's environment and waits at most `limit`
// for it to end (killing it then); standard output and error go through `outPath` and `errPath`.
TProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& outPath,
                          const std::string& errPath,
                          std::chrono::milliseconds limit = std::chrono::minutes(1));

}  // namespace kx71
