// Port numbers to device files on this platform. Discovery lists ports by the same mapping, so a
// listed entry always opens the device it was listed for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kx71 {

// The device file that port COM<portNo> stands for, or nothing when there is none.
std::optional<std::string> ResolvePortDevice(std::int32_t portNo);

// Whether `device` is a serial line or a pseudo-terminal (not a console, /dev/tty, /dev/ptmx or
// anything that is no terminal); decided without opening it.
bool IsSerialTerminalDevice(const std::string& device);

}  // namespace kx71
