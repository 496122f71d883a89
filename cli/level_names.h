// Handicap levels as a user types them on a command line: the option's caption ("Handicap +3") or
// a short name ("+3", "max", "legend", "champ", "none"), letter case ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/settings_block.h"

namespace kx71::cli {

// The level `text` names, or nothing.
std::optional<HandicapLevel> ParseLevelName(std::string_view text);

// The short name of `level` ("legend", "champ", "none", "+1" ... "+6", "max").
const char* ShortLevelName(HandicapLevel level);

// "legend, champ, none, +1 ... +6, max": for messages that list what is accepted.
std::string AcceptedLevelNames();

}  // namespace kx71::cli
