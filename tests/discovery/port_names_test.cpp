// The fixed correspondence between family device names and port numbers.
#include "comm/port_names.h"

#include <gtest/gtest.h>

namespace kx71 {
namespace {

TEST(PortNames, FamilyBlocksAndTheirEnds) {
  EXPECT_EQ(FamilyPortNumber("ttyS0"), 1);
  EXPECT_EQ(FamilyPortNumber("ttyS99"), 100);
  EXPECT_EQ(FamilyPortNumber("ttyS100"), std::nullopt);  // would collide with ttyUSB0
  EXPECT_EQ(FamilyPortNumber("ttyUSB0"), 101);
  EXPECT_EQ(FamilyPortNumber("ttyUSB99"), 200);
  EXPECT_EQ(FamilyPortNumber("ttyUSB100"), std::nullopt);
  EXPECT_EQ(FamilyPortNumber("ttyACM0"), 201);
  EXPECT_EQ(FamilyPortNumber("ttyACM1000"), 1201);
  EXPECT_EQ(FamilyPortNumber("ttyACM2147483446"), 2147483647);
  EXPECT_EQ(FamilyPortNumber("ttyACM2147483447"), std::nullopt);
  EXPECT_EQ(FamilyPortNumber("ttyACM99999999999999999999"), std::nullopt);
}

TEST(PortNames, OtherNamesBelongToNoFamily) {
  for (const char* name : {"ttyS", "ttyS01", "ttyS-1", "ttyS+1", "ttyS 1", "ttyS1a", "ttySAC0", "ttyAMA0",
                           "tty0", "ttyusb0", "COM1", "", "ttyUSB0x1"})
    EXPECT_EQ(FamilyPortNumber(name), std::nullopt) << name;
  for (std::int32_t n : {0, -1, -201, INT32_MIN}) EXPECT_EQ(FamilyDeviceName(n), std::nullopt) << n;
}

TEST(PortNames, NumberAndNameMapBothWays) {
  EXPECT_EQ(FamilyDeviceName(1), "ttyS0");
  EXPECT_EQ(FamilyDeviceName(100), "ttyS99");
  EXPECT_EQ(FamilyDeviceName(101), "ttyUSB0");
  EXPECT_EQ(FamilyDeviceName(201), "ttyACM0");
  EXPECT_EQ(FamilyDeviceName(INT32_MAX), "ttyACM2147483446");
  for (std::int32_t n = 1; n <= 5000; ++n) {
    const auto name = FamilyDeviceName(n);
    ASSERT_TRUE(name) << n;
    ASSERT_EQ(FamilyPortNumber(*name), n) << *name;
  }
}

TEST(PortNames, DeviceMapNamesFollowTheIntegerTextRule) {
  EXPECT_TRUE(IsDeviceMapPortName("COM1"));
  EXPECT_TRUE(IsDeviceMapPortName("cOm"));
  EXPECT_TRUE(IsDeviceMapPortName("COMX"));
  EXPECT_FALSE(IsDeviceMapPortName("CO"));
  EXPECT_FALSE(IsDeviceMapPortName("ttyS0"));
  EXPECT_FALSE(IsDeviceMapPortName("XCOM1"));

  EXPECT_EQ(DeviceMapPortNumber("com7"), 7);
  EXPECT_EQ(DeviceMapPortNumber("COM012"), 12);
  EXPECT_EQ(DeviceMapPortNumber("COM$1F"), 31);
  EXPECT_EQ(DeviceMapPortNumber("COM  4"), 4);
  EXPECT_EQ(DeviceMapPortNumber("COM4 "), std::nullopt);
  EXPECT_EQ(DeviceMapPortNumber("COM4X"), std::nullopt);
  EXPECT_EQ(DeviceMapPortNumber("COM"), std::nullopt);
  EXPECT_EQ(DeviceMapPortNumber("LPT1"), std::nullopt);
}

}  // namespace
}  // namespace kx71
