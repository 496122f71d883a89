// Byte strings as hexadecimal text, as the simulated unit logs them and takes them on its command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/settings_block.h"

namespace kx71 {

// "E5 5A 00": two upper-case digits per byte, separated by single spaces ("" for no bytes).
std::string HexText(std::string_view bytes);
std::string HexText(const SettingsBlock& block);

// The bytes that pairs of hexadecimal digits stand for; spaces between pairs are ignored. Nothing
// when any other character appears or a digit is left without its partner.
std::optional<Frame> ParseHex(std::string_view text);

// A settings block given as 32 hexadecimal digits (spaces allowed), or nothing.
std::optional<SettingsBlock> ParseBlockHex(std::string_view text);

}  // namespace kx71
