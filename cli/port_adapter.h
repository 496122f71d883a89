// What the system knows of the adapter behind a port: on Linux the USB vendor, product and serial
// number from sysfs; on Windows the device's friendly name.
#pragma once

#include <string>

namespace kx71::cli {

// The device as the user should see it: a link followed to the device it leads to
// ("/dev/kx71/COM3 -> /dev/ttyUSB0").
std::string DeviceText(const std::string& device);

// The adapter of port `portName` whose device is `device`; "" when the system says nothing.
std::string PortAdapter(const std::string& portName, const std::string& device);

#ifndef _WIN32
// The USB adapter of terminal `ttyName` under the sysfs tty class folder `sysClassTty`:
// "USB 0403:6001 FTDI FT232R USB UART, serial A10K1ZQ4"; "" for a terminal with no USB device above it.
std::string UsbAdapter(const std::string& sysClassTty, const std::string& ttyName);
#endif

}  // namespace kx71::cli
