// A copy of a unit's settings block kept in a small JSON file, so that it can be written back later
// to the same unit (the identifiers say which one).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "protocol/settings_block.h"

namespace kx71::cli {

struct TSavedBlock {
  std::string port;  // where it was read (for the user; restore may use another port)
  SettingsBlock block{};

  std::uint32_t YourId() const;
  std::uint32_t MyId() const;
};

// The file's text:
//   {"format": "kx71-vantor-block", "version": 1, "port": "COM3", "yourId": 1193046,
//    "myId": 6636321, "block": "5A123456..."}   (the 16 bytes as 32 hexadecimal digits)
std::string SavedBlockJson(const TSavedBlock& saved);

// The block a file's text holds, or what is wrong with it. The identifiers must agree with the
// block's bytes 1 to 6, so a hand-edited file cannot pass for another unit's.
std::variant<TSavedBlock, std::string> ParseSavedBlock(const std::string& text);

// Writes the file whole (through a temporary file beside it, so an interrupted run leaves no half
// file); "" on success, else the reason.
std::string SaveBlockFile(const std::string& path, const TSavedBlock& saved);
// Reads and parses a file; the reason in the error names the file.
std::variant<TSavedBlock, std::string> LoadBlockFile(const std::string& path);

// The 16 bytes as 32 upper-case hexadecimal digits, and back.
std::string BlockHex(const SettingsBlock& block);

}  // namespace kx71::cli
