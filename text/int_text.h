// Reading integers from text: typed values and port numbers share one rule.
//
// A number is leading spaces, then decimal digits with an optional '-' or '+', or hexadecimal
// digits (either case) after one of "$", "x", "X", "0x", "0X" (never a sign and a prefix both), and
// nothing after the digits. A decimal outside the 32-bit signed range is no number; a hexadecimal
// takes up to eight significant digits as a 32-bit pattern, so 80000000..FFFFFFFF read as negative.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kx71 {

// The conversion error: a text that stands for a number is not one.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value of one hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

// The value of `text`, or nothing when it is not a number.
std::optional<std::int32_t> ParseIntText(std::string_view text);

// Whether `text` is written as a number (spaces, sign or prefix, digits), whatever its size: true
// also for the texts too long for 32 bits that ParseIntText refuses.
bool IsIntTextForm(std::string_view text);

// The value of `text`, or `fallback` when it is not a number.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// The value of `text`; raises EConvertError "'<text>' は整数ではありません" when it is not a number.
std::int32_t StrToInt(std::string_view text);

}  // namespace kx71
