#include "text/int_text.h"

namespace kx71 {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

namespace {

std::optional<std::int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  int significant = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return std::nullopt;
    if (significant > 0 || d != 0) ++significant;
    if (significant > 8) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return static_cast<std::int32_t>(value);  // two's complement pattern
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) {
  if (digits.empty()) return std::nullopt;
  // Accumulate as a magnitude; the negative range reaches one further than the positive one.
  const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                  : static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> ParseIntText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const std::string_view rest = text.substr(i);
  if (rest.empty()) return std::nullopt;

  if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') return ParseHex(rest.substr(1));
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) return ParseHex(rest.substr(2));
  if (rest[0] == '-') return ParseDecimal(rest.substr(1), true);
  if (rest[0] == '+') return ParseDecimal(rest.substr(1), false);
  return ParseDecimal(rest, false);
}

bool IsIntTextForm(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view rest = text.substr(i);
  bool hex = false;
  if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    hex = true;
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = true;
    rest.remove_prefix(2);
  } else if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
    rest.remove_prefix(1);
  }
  if (rest.empty()) return false;
  for (char c : rest) {
    if (hex ? HexDigitValue(c) < 0 : (c < '0' || c > '9')) return false;
  }
  return true;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
  return ParseIntText(text).value_or(fallback);
}

std::int32_t StrToInt(std::string_view text) {
  if (auto v = ParseIntText(text)) return *v;
  throw EConvertError("'" + std::string(text) + "' は整数ではありません");
}

}  // namespace kx71
