// Any text: the reader never crashes, and whatever it accepts reads back to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/int_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto value = kx71::ParseIntText(text);
  if (!value) return 0;
  // An accepted text is spaces, then a sign or prefix, then digits only.
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) std::abort();
  // Its decimal rendering must read back to the same value.
  if (kx71::ParseIntText(std::to_string(*value)) != value) std::abort();
  return 0;
}
