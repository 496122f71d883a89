// The adapter behind a port, from a fake sysfs tree as the kernel lays out a USB serial adapter.
#include <gtest/gtest.h>

#include "cli/port_adapter.h"
#include "discovery/temp_tree.h"

namespace kx71::cli {
namespace {

TEST(PortAdapter, UsbVendorProductAndSerialFromTheDeviceAboveTheTerminal) {
  test::TempTree tree;
  const std::string usb = "devices/pci0000:00/0000:00:14.0/usb1/1-2";
  tree.File(usb + "/idVendor", "0403\n");
  tree.File(usb + "/idProduct", "6001\n");
  tree.File(usb + "/manufacturer", "FTDI\n");
  tree.File(usb + "/product", "FT232R USB UART\n");
  tree.File(usb + "/serial", "A10K1ZQ4\n");
  tree.Dir(usb + "/1-2:1.0/ttyUSB0");
  tree.Dir("class/tty/ttyUSB0");
  std::filesystem::create_directory_symlink(tree / (usb + "/1-2:1.0/ttyUSB0"),
                                            tree / "class/tty/ttyUSB0/device");
  // A legacy port: a device, but no USB above it.
  tree.Dir("devices/platform/serial8250/tty/ttyS0");
  tree.Dir("class/tty/ttyS0");
  std::filesystem::create_directory_symlink(tree / "devices/platform/serial8250/tty/ttyS0",
                                            tree / "class/tty/ttyS0/device");

  const std::string classDir = (tree / "class/tty").string();
  EXPECT_EQ(UsbAdapter(classDir, "ttyUSB0"), "USB 0403:6001 FTDI FT232R USB UART, serial A10K1ZQ4");
  EXPECT_EQ(UsbAdapter(classDir, "ttyS0"), "");
  EXPECT_EQ(UsbAdapter(classDir, "ttyUSB9"), "");  // gone
}

}  // namespace
}  // namespace kx71::cli
