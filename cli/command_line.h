// The command line of kx71-vantor: which command, on which ports, with which options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "protocol/settings_block.h"

namespace kx71::cli {

enum class TCommand { Help, Version, Ports, Find, Read, Write, Restore };

struct TPortArg {
  std::string name;  // as the user sees it: "COM7"
  std::int32_t number = 0;
};

inline constexpr int kDefaultFindTimeoutMs = 1500;
inline constexpr int kDefaultTimeoutMs = 3000;  // the window's receive time-out
inline constexpr int kMaxTimeoutMs = 600000;

struct TRequest {
  TCommand command = TCommand::Help;
  std::vector<TPortArg> ports;         // read, write, restore (one)
  int timeoutMs = kDefaultTimeoutMs;   // the reply wait; for find the whole run's
  bool json = false;                   // read: JSON on standard output
  std::string saveFile;                // read --save: "{port}" stands for the port's name
  std::optional<HandicapLevel> level;  // write --level
  std::string restoreFile;             // restore PORT FILE
  bool force = false;                  // restore --force

  // Where --save writes the block of `port`.
  std::string SavePath(const std::string& port) const;
};

// What is wrong with a command line, in words that name the offending argument.
struct TUsageError {
  std::string message;
};

// Parses the arguments after the program's name.
std::variant<TRequest, TUsageError> ParseCommandLine(const std::vector<std::string>& args);

// "COM7" (any letter case) as a port, or nothing when it is not "COM" and a port number.
std::optional<TPortArg> ParsePortArg(const std::string& text);

extern const char* const kHelpText;

}  // namespace kx71::cli
