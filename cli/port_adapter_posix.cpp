#include <filesystem>
#include <fstream>

#include "cli/port_adapter.h"

namespace kx71::cli {
namespace fs = std::filesystem;
namespace {

std::string Attribute(const fs::path& dir, const char* name) {
  std::ifstream in(dir / name);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

std::string UsbAdapter(const std::string& sysClassTty, const std::string& ttyName) {
  std::error_code ec;
  fs::path dir = fs::canonical(fs::path(sysClassTty) / ttyName / "device", ec);
  if (ec) return {};
  // The USB device is the first folder above the interface that carries a vendor number.
  for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    if (!fs::exists(dir / "idVendor", ec)) continue;
    std::string text = "USB " + Attribute(dir, "idVendor") + ":" + Attribute(dir, "idProduct");
    for (const char* name : {"manufacturer", "product"})
      if (const std::string value = Attribute(dir, name); !value.empty()) text += " " + value;
    if (const std::string serial = Attribute(dir, "serial"); !serial.empty()) text += ", serial " + serial;
    return text;
  }
  return {};
}

std::string DeviceText(const std::string& device) {
  std::error_code ec;
  const fs::path real = fs::canonical(device, ec);
  return ec || real == fs::path(device) ? device : device + " -> " + real.string();
}

std::string PortAdapter(const std::string& /*portName*/, const std::string& device) {
  std::error_code ec;
  const fs::path real = fs::canonical(device, ec);
  if (ec) return {};
  return UsbAdapter("/sys/class/tty", real.filename().string());
}

}  // namespace kx71::cli
