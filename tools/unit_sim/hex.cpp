#include "hex.h"

#include <algorithm>

#include "text/int_text.h"

namespace kx71 {

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!text.empty()) text.push_back(' ');
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  }
  return text;
}

std::string HexText(const SettingsBlock& block) {
  return HexText(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
}

std::optional<Frame> ParseHex(std::string_view text) {
  Frame bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ' && high < 0) continue;
    const int v = HexDigitValue(c);
    if (v < 0) return std::nullopt;
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + v));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return bytes;
}

std::optional<SettingsBlock> ParseBlockHex(std::string_view text) {
  const auto bytes = ParseHex(text);
  if (!bytes || bytes->size() != kBlockSize) return std::nullopt;
  SettingsBlock block{};
  std::transform(bytes->begin(), bytes->end(), block.begin(),
                 [](char c) { return static_cast<std::uint8_t>(c); });
  return block;
}

}  // namespace kx71
