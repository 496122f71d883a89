#include "port_names.h"

#include <array>

#include "text/int_text.h"

namespace kx71 {
namespace {

struct Family {
  std::string_view prefix;
  std::int32_t base;   // COM number of index 0
  std::int32_t count;  // indexes 0..count-1 belong to the family
};

constexpr std::int32_t kUnbounded = INT32_MAX;

// The blocks must not overlap: every COM number names at most one device.
constexpr std::array<Family, 3> kFamilies{{
    {"ttyS", 1, 100},
    {"ttyUSB", 101, 100},
    {"ttyACM", 201, kUnbounded - 201 + 1},
}};

// Decimal digits without sign, spaces or leading zeros, as the kernel writes device indexes.
std::optional<std::int32_t> DeviceIndex(std::string_view digits) {
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

bool EqualsIgnoreCase(char a, char b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(a) == lower(b);
}

}  // namespace

std::optional<std::int32_t> FamilyPortNumber(std::string_view ttyName) {
  for (const Family& f : kFamilies) {
    if (ttyName.size() <= f.prefix.size() || ttyName.substr(0, f.prefix.size()) != f.prefix) continue;
    const auto index = DeviceIndex(ttyName.substr(f.prefix.size()));
    if (!index || *index >= f.count) continue;
    return f.base + *index;
  }
  return std::nullopt;
}

std::optional<std::string> FamilyDeviceName(std::int32_t portNo) {
  for (const Family& f : kFamilies) {
    if (portNo < f.base) continue;
    const std::int64_t index = static_cast<std::int64_t>(portNo) - f.base;
    if (index >= f.count) continue;
    return std::string(f.prefix) + std::to_string(index);
  }
  return std::nullopt;
}

bool IsDeviceMapPortName(std::string_view entry) {
  return entry.size() >= 3 && EqualsIgnoreCase(entry[0], 'C') && EqualsIgnoreCase(entry[1], 'O') &&
         EqualsIgnoreCase(entry[2], 'M');
}

std::optional<std::int32_t> DeviceMapPortNumber(std::string_view entry) {
  if (!IsDeviceMapPortName(entry)) return std::nullopt;
  return ParseIntText(entry.substr(3));
}

}  // namespace kx71
