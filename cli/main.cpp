// kx71-vantor: the command-line companion of the window, for scripts and many units.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/command_line.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);  // the level captions and the port's messages are UTF-8
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = kx71::cli::ParseCommandLine(args);
  if (const auto* error = std::get_if<kx71::cli::TUsageError>(&parsed)) {
    std::fprintf(stderr, "kx71-vantor: %s\nTry 'kx71-vantor --help'.\n", error->message.c_str());
    return kx71::cli::kExitUsage;
  }
  const int status = kx71::cli::RunCommand(std::get<kx71::cli::TRequest>(parsed), stdout, stderr);
  std::fflush(stdout);
  return status;
}
