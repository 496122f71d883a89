// The serial ports of a Linux machine: the links of a device-map directory, then the real devices of
// the built-in families (port_names.h) found through sysfs. Nothing here opens a port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kx71 {

// Where the catalog looks; tests point these at temporary trees.
struct TPortRoots {
  std::filesystem::path sysClassTty{"/sys/class/tty"};
  std::filesystem::path dev{"/dev"};
  std::optional<std::filesystem::path> deviceMap;  // a directory of COM<n> links, or none
  // The kernel's table of terminal drivers, which tells serial lines and pseudo-terminals apart
  // from consoles, /dev/tty, /dev/ptmx and devices that are no terminal at all.
  std::filesystem::path ttyDrivers{"/proc/tty/drivers"};

  // The machine's roots, with the device map taken from KX71_DEVICEMAP when it is set and not empty.
  static TPortRoots FromEnvironment();
};

struct TPortEntry {
  std::string name;    // "COM3", or a device-map entry's name as it stands ("com7")
  std::string device;  // the file that opening the port opens
};

class TPortCatalog {
 public:
  explicit TPortCatalog(TPortRoots roots) : roots_(std::move(roots)) {}

  // Device-map entries in name order, then family devices in number order; a number that the
  // device map provides is not listed again for a family device. Of device-map entries that share
  // a number only the first in name order is listed, unless all of them lead to one device.
  // Nothing when neither the device map nor sysfs can be read.
  std::optional<std::vector<TPortEntry>> List() const;

  // The device that COM<portNo> opens: the first device-map entry (in name order) whose number is
  // portNo, else the family device for portNo if it is real; nothing otherwise.
  std::optional<std::string> Resolve(std::int32_t portNo) const;

  // Whether the family device `ttyName` is a real port: it has a sysfs entry with a device behind
  // it, is not a placeholder without a UART (sysfs `type` 0) and has a node under the /dev root.
  bool IsRealDevice(const std::string& ttyName) const;

  // Whether `path` leads to a serial line or pseudo-terminal device by the kernel's table of
  // terminal drivers; looks without opening.
  bool IsSerialTerminal(const std::filesystem::path& path) const;

 private:
  struct MapLink {
    std::string name;
    std::filesystem::path path;
    unsigned long long device;  // the terminal's device number
  };
  // Entries of the device map named COM... (with a number that can open, or no number at all) that
  // are symbolic links to a serial or pseudo-terminal device, in name order; nothing when there is
  // no readable device map.
  std::optional<std::vector<MapLink>> DeviceMapLinks() const;

  TPortRoots roots_;
};

}  // namespace kx71
