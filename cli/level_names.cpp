#include "cli/level_names.h"

#include <algorithm>
#include <cctype>

namespace kx71::cli {
namespace {

constexpr const char* kShortNames[kLevelCount] = {"legend", "champ", "none", "+1", "+2",
                                                  "+3",     "+4",    "+5",   "+6", "max"};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<HandicapLevel> ParseLevelName(std::string_view text) {
  for (int i = 0; i < kLevelCount; ++i) {
    const auto level = static_cast<HandicapLevel>(i);
    const LevelInfo& info = Info(level);
    const std::string_view shortName = kShortNames[i];
    // "3" as well as "+3", "+MAX" as well as "MAX".
    const std::string other = shortName.front() == '+'          ? std::string(shortName.substr(1))
                              : level == HandicapLevel::Handy_7 ? "+" + std::string(shortName)
                                                                : std::string();
    if (SameIgnoringCase(text, info.caption) || SameIgnoringCase(text, shortName) ||
        (!other.empty() && SameIgnoringCase(text, other)) || SameIgnoringCase(text, info.name))
      return level;
  }
  return std::nullopt;
}

const char* ShortLevelName(HandicapLevel level) {
  return kShortNames[static_cast<int>(level)];
}

std::string AcceptedLevelNames() {
  std::string names;
  for (const char* n : kShortNames) names += std::string(names.empty() ? "" : ", ") + n;
  return names + " or a caption such as \"Handicap +3\"";
}

}  // namespace kx71::cli
