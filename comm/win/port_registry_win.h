// Port names from the registry key where Windows lists the machine's serial ports.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kx71 {

// The data of every plain-string (REG_SZ) value of `root`\`subKey`, opened read-only, in the key's
// value order; values of other types are skipped. Nothing when the key does not open.
std::optional<std::vector<std::string>> ReadRegistryPortNames(HKEY root, const char* subKey);

}  // namespace kx71
