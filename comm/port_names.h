// How port numbers and device names correspond. Pure functions of a name or a number, so the number
// a port is listed under and the device it later opens always agree.
//
// Built-in families, one fixed block of numbers each:
//   ttyS<k>   (k 0..99)  is COM<k+1>
//   ttyUSB<k> (k 0..99)  is COM<101+k>
//   ttyACM<k> (k >= 0)   is COM<201+k>
// <k> is written without leading zeros ("ttyS01" belongs to no family).
//
// Device-map entries are named "COM" (any letter case) and a port number read by the integer-text rule.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kx71 {

// Port numbers that can open: 1 up to eight digits (the device name's length allows no more).
inline constexpr std::int32_t kMaxPortNo = 99999999;
inline constexpr bool IsOpenablePortNo(std::int32_t portNo) {
  return portNo > 0 && portNo <= kMaxPortNo;
}

// The COM number of a built-in family device ("ttyUSB2" -> 103), or nothing for any other name.
std::optional<std::int32_t> FamilyPortNumber(std::string_view ttyName);

// The built-in family device that stands for COM<portNo> (103 -> "ttyUSB2"), or nothing.
std::optional<std::string> FamilyDeviceName(std::int32_t portNo);

// Whether a device-map entry names a port at all: its name begins with "COM" in any letter case.
bool IsDeviceMapPortName(std::string_view entry);

// The port number of a device-map entry ("com7" -> 7), or nothing when the entry is not "COM"
// followed by an integer text.
std::optional<std::int32_t> DeviceMapPortNumber(std::string_view entry);

}  // namespace kx71
