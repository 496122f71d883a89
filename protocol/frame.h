// The unit of the wire: a byte string sent to or received from the unit.
#pragma once

#include <string>

namespace kx71 {

// Bytes 0x00..0xFF held in chars, length counted in bytes; requests grow a byte at a time, replies
// come whole.
using Frame = std::string;

}  // namespace kx71
