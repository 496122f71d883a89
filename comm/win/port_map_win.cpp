// This machine's ports as Windows lists them in the registry; COM<n> opens as \\.\COM<n>.
#include "comm/port_discovery.h"
#include "comm/port_map.h"
#include "comm/win/port_registry_win.h"

namespace kx71 {

std::optional<std::string> ResolvePortDevice(std::int32_t portNo) {
  if (portNo < 1) return std::nullopt;
  return "\\\\.\\COM" + std::to_string(portNo);
}

std::optional<std::vector<std::string>> ListPortNames() {
  return ReadRegistryPortNames(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

}  // namespace kx71
