// The Windows port source over a registry key of the test's own, and the port-number mapping.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "comm/port_discovery.h"
#include "comm/port_map.h"
#include "comm/win/port_registry_win.h"
#include "plain_comm_list.h"

namespace kx71 {
namespace {

using Items = std::vector<std::string>;

class RegistrySourceTest : public ::testing::Test {
 protected:
  RegistrySourceTest() : path_("Software\\kx71-discovery-test-" + std::to_string(GetCurrentProcessId())) {
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\SERIALCOMM").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  ~RegistrySourceTest() override {
    RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }

  void SetString(const char* name, const std::string& data, DWORD type = REG_SZ) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
  }
  std::optional<Items> Read() const {
    return ReadRegistryPortNames(HKEY_CURRENT_USER, (path_ + "\\SERIALCOMM").c_str());
  }

  std::string path_;
  HKEY key_ = nullptr;
};

TEST_F(RegistrySourceTest, StringValuesListInNumericOrderOthersSkipped) {
  SetString("\\Device\\Serial9", "COM10");
  SetString("\\Device\\Serial1", "COM2");
  SetString("\\Device\\Serial0", "COM1");
  SetString("Expand", "COM9", REG_EXPAND_SZ);
  const DWORD five = 5;
  ASSERT_EQ(RegSetValueExA(key_, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), sizeof five),
            ERROR_SUCCESS);
  test::PlainCommList list;
  list.items = {"OFF", "com2"};
  list.selected = 1;
  RefreshCommList(list, [this] { return Read(); });
  EXPECT_EQ(list.items, (Items{"OFF", "COM1", "COM2", "COM10"}));
  EXPECT_EQ(list.SelectedText(), "COM2");
}

TEST_F(RegistrySourceTest, MissingKeyReadsAsNothingAndEmptyKeyAsNoPorts) {
  EXPECT_EQ(Read(), std::optional<Items>(Items{}));
  EXPECT_EQ(ReadRegistryPortNames(HKEY_CURRENT_USER, (path_ + "\\NoSuchKey").c_str()), std::nullopt);
}

TEST(PortMapWindows, PortNumberNamesTheWin32Device) {
  EXPECT_EQ(ResolvePortDevice(3), "\\\\.\\COM3");
  EXPECT_EQ(ResolvePortDevice(12), "\\\\.\\COM12");
  EXPECT_EQ(ResolvePortDevice(0), std::nullopt);
}

}  // namespace
}  // namespace kx71
