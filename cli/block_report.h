// How a settings block and a port's outcome are shown: as text for people and as JSON for scripts.
#pragma once

#include <string>
#include <vector>

#include "cli/outcome.h"
#include "protocol/settings_block.h"

namespace kx71::cli {

// "Handicap +3 (+3), count 8"; a count that is not the level's preset says so.
std::string LevelText(int count);

// The block's fields, one per line, each indented by two spaces.
std::string BlockText(const SettingsBlock& block);

// One line about a unit: its identifiers and level.
std::string UnitLine(const SettingsBlock& block);

// The block's fields as one JSON object, its bytes included.
std::string BlockJson(const SettingsBlock& block);

// The outcomes of a read as one JSON array (in port order), each {"port", "ok", ...}.
std::string OutcomesJson(const std::vector<TPortOutcome>& outcomes);

// "COM3: OK, <summary>" or "COM3: FAILED, <summary>".
std::string SummaryLine(const TPortOutcome& outcome);

}  // namespace kx71::cli
