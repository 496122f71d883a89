#include <windows.h>
// After windows.h: these need its types.
#include <devguid.h>
#include <setupapi.h>

#include <vector>

#include "cli/port_adapter.h"

namespace kx71::cli {
namespace {

// The registry value of the device's own key that names its port ("COM3").
std::string DevicePortName(HDEVINFO devices, SP_DEVINFO_DATA& info) {
  const HKEY key = SetupDiOpenDevRegKey(devices, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  char name[256] = {};
  DWORD size = sizeof name - 1, type = 0;
  const LONG r = RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  return r == ERROR_SUCCESS && type == REG_SZ ? std::string(name) : std::string();
}

}  // namespace

std::string DeviceText(const std::string& device) {
  return device;
}

std::string PortAdapter(const std::string& portName, const std::string& /*device*/) {
  const HDEVINFO devices = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return {};
  std::string friendly;
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &info); ++i) {
    if (lstrcmpiA(DevicePortName(devices, info).c_str(), portName.c_str()) != 0) continue;
    std::vector<BYTE> text(512);
    DWORD type = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices, &info, SPDRP_FRIENDLYNAME, &type, text.data(),
                                          static_cast<DWORD>(text.size() - 1), nullptr))
      friendly = reinterpret_cast<const char*>(text.data());
    break;
  }
  SetupDiDestroyDeviceInfoList(devices);
  return friendly;
}

}  // namespace kx71::cli
