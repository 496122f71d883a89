// Port numbers to device files on this platform. Discovery lists ports by the same mapping, so a
// listed entry always opens the device it was listed for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kx71 {

// The device file that port COM<portNo> stands for, or nothing when there is none.
std::optional<std::string> ResolvePortDevice(std::int32_t portNo);

}  // namespace kx71
