// What one port's job came to: a summary for standard output and, on failure, the reason.
#pragma once

#include <optional>
#include <string>

#include "protocol/settings_block.h"

namespace kx71::cli {

struct TPortOutcome {
  std::string port;  // "COM3"
  bool ok = false;
  std::string summary;                 // "wrote Handicap +3 (count 8)", "no answer", ...
  std::string reason;                  // why it failed; empty when ok
  std::optional<SettingsBlock> block;  // the block the unit holds, when it was read
};

}  // namespace kx71::cli
