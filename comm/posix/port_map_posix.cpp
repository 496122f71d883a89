// This machine's ports: the catalog over the real sysfs and /dev, with the device map named by
// KX71_DEVICEMAP. Read afresh on every call, so ports that come and go are seen at once.
#include "comm/posix/port_catalog.h"
#include "comm/port_discovery.h"
#include "comm/port_map.h"

namespace kx71 {

std::optional<std::string> ResolvePortDevice(std::int32_t portNo) {
  return TPortCatalog(TPortRoots::FromEnvironment()).Resolve(portNo);
}

bool IsSerialTerminalDevice(const std::string& device) {
  return TPortCatalog(TPortRoots::FromEnvironment()).IsSerialTerminal(device);
}

std::optional<std::vector<std::string>> ListPortNames() {
  const auto ports = TPortCatalog(TPortRoots::FromEnvironment()).List();
  if (!ports) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(ports->size());
  for (const TPortEntry& p : *ports) names.push_back(p.name);
  return names;
}

}  // namespace kx71
