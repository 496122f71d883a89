// The unit's read and write exchanges with the reason a failure had, in words for the user; and the
// decisions built on them (what a write stores, whether a saved block may go back to a unit).
#pragma once

#include <optional>
#include <string>

#include "cli/saved_block.h"
#include "protocol/exchange_port.h"
#include "protocol/settings_block.h"

namespace kx71::cli {

struct TReadResult {
  std::optional<SettingsBlock> block;
  std::string failure;  // "no reply", "short reply (17 of 18 bytes)", "bad checksum ..."; empty on success
};
TReadResult ReadUnitBlock(TExchangePort& port);

// "" when the unit acknowledged `block`, else why not.
std::string WriteUnitBlock(TExchangePort& port, const SettingsBlock& block);

// Why `saved` must not go back to the unit that holds `unit`: "" when the identifiers match.
std::string RestoreRefusal(const TSavedBlock& saved, const SettingsBlock& unit);

}  // namespace kx71::cli
