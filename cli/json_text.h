// The little JSON this program reads and writes: strings made safe for output, and one flat object
// of string and integer fields read back.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace kx71::cli {

// `text` as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

struct TJsonValue {
  bool isNumber = false;
  long long number = 0;  // when isNumber
  std::string text;      // otherwise
};
using TJsonObject = std::map<std::string, TJsonValue>;

// One object whose fields are strings or integers (nothing nested), or what is wrong with the text.
std::variant<TJsonObject, std::string> ParseFlatJsonObject(std::string_view text);

}  // namespace kx71::cli
