// Reading integers from text: typed values and port numbers share one rule.
//
// Leading spaces are skipped. Then either an optional '-' or '+' and decimal digits, or one of the
// prefixes "$", "x", "X", "0x", "0X" and hexadecimal digits (a sign and a prefix never go together).
// The digits must run to the end of the text. Decimal values must fit a 32-bit signed integer;
// hexadecimal values may have at most eight significant digits and are taken as a 32-bit two's
// complement pattern (80000000..FFFFFFFF are negative).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kx71 {

// The conversion error raised when a text that must be a number is not one.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value of one hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

// The value of `text`, or nothing when it is not a number.
std::optional<std::int32_t> ParseIntText(std::string_view text);

// The value of `text`, or `fallback` when it is not a number.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// The value of `text`; raises EConvertError "'<text>' は整数ではありません" when it is not a number.
std::int32_t StrToInt(std::string_view text);

}  // namespace kx71
