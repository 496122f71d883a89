// The catalog over fake device maps, /dev and sysfs trees, and the machine-wide entry points.
#include "comm/posix/port_catalog.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

#include "comm/port_discovery.h"
#include "comm/port_map.h"
#include "comm/port_names.h"
#include "plain_comm_list.h"
#include "temp_tree.h"

namespace kx71 {
namespace {

using Items = std::vector<std::string>;
namespace fs = std::filesystem;

Items Names(const std::optional<std::vector<TPortEntry>>& ports) {
  Items names;
  if (ports)
    for (const TPortEntry& p : *ports) names.push_back(p.name);
  return names;
}

// A fake sysfs with both layouts: ttyS0..ttyS3 as older kernels show them (device -> a pnp device),
// ttyS4 and ttyS5 as serial-base shows them (class entries are links into the port device's tree),
// plus usb-serial and cdc-acm devices, a virtual console and a pty-like entry.
class FakeMachine {
 public:
  FakeMachine() {
    tree.Dir("devices/pnp0/00:01");
    Serial("ttyS0", "4");     // a 16550A
    Serial("ttyS1", "0");     // a placeholder
    Serial("ttyS2", "4");     // real in sysfs, but no node under /dev
    Serial("ttyS3", "junk");  // type unreadable as a number: kept
    SerialBase("ttyS4", "0");
    SerialBase("ttyS5", "4");
    Usb("ttyUSB0");
    Usb("ttyACM3");
    Usb("ttyAMA0");                  // a real port of a family not listed
    Usb("ttyS01");                   // not a canonical family name
    tree.Dir("sys/class/tty/tty0");  // a virtual console: no device link
    tree.Dir("sys/class/tty/ttyUSB7");
    tree.Link("sys/class/tty/ttyUSB7/device", tree / "devices/gone");  // device link left dangling
    tree.File("dev/ttyUSB7");
    tree.File("dev/tty0");
    tree.Dir("dev/ttyS2-is-not-here");
  }

  TPortRoots Roots(std::optional<fs::path> map = std::nullopt) const {
    return {tree / "sys/class/tty", tree / "dev", std::move(map)};
  }

  test::TempTree tree;

 private:
  void Serial(const std::string& name, const std::string& type) {
    tree.Link("sys/class/tty/" + name + "/device", tree / "devices/pnp0/00:01");
    tree.File("sys/class/tty/" + name + "/type", type + "\n");
    if (name != "ttyS2") tree.File("dev/" + name);
  }
  void SerialBase(const std::string& name, const std::string& type) {
    const std::string port = "devices/platform/serial8250/serial8250:0/serial8250:0." + name.substr(4);
    tree.Dir(port);
    tree.Link(port + "/driver", tree / "bus/serial-base/drivers/port");
    tree.Link(port + "/tty/" + name + "/device", tree / port);
    tree.File(port + "/tty/" + name + "/type", type + "\n");
    tree.Dir("sys/class/tty");
    tree.Link("sys/class/tty/" + name, tree / (port + "/tty/" + name));
    tree.File("dev/" + name);
  }
  void Usb(const std::string& name) {
    tree.Dir("devices/usb1/1-1/1-1:1.0/" + name);
    tree.Link("sys/class/tty/" + name + "/device", tree / ("devices/usb1/1-1/1-1:1.0/" + name));
    tree.File("dev/" + name);
  }
};

TEST(PortCatalogSysfs, ListsRealFamilyDevicesOnly) {
  FakeMachine m;
  const TPortCatalog catalog(m.Roots());
  const auto ports = catalog.List();
  ASSERT_TRUE(ports);
  EXPECT_EQ(Names(ports), (Items{"COM1", "COM4", "COM6", "COM101", "COM204"}));
  EXPECT_EQ(ports->front().device, (m.tree / "dev/ttyS0").string());
  EXPECT_EQ(ports->back().device, (m.tree / "dev/ttyACM3").string());

  EXPECT_TRUE(catalog.IsRealDevice("ttyS0"));
  EXPECT_FALSE(catalog.IsRealDevice("ttyS1"));  // type 0
  EXPECT_FALSE(catalog.IsRealDevice("ttyS2"));  // no /dev node
  EXPECT_FALSE(catalog.IsRealDevice("ttyS4"));  // serial-base placeholder
  EXPECT_TRUE(catalog.IsRealDevice("ttyS5"));
  EXPECT_FALSE(catalog.IsRealDevice("ttyUSB7"));
  EXPECT_FALSE(catalog.IsRealDevice("tty0"));
  EXPECT_FALSE(catalog.IsRealDevice("ttyS9"));  // no sysfs entry at all
}

TEST(PortCatalogSysfs, ResolvesTheSameDevicesItLists) {
  FakeMachine m;
  const TPortCatalog catalog(m.Roots());
  const auto ports = catalog.List();
  ASSERT_TRUE(ports);
  for (const TPortEntry& p : *ports)
    EXPECT_EQ(catalog.Resolve(std::stoi(p.name.substr(3))), p.device) << p.name;
  for (std::int32_t n : {2, 3, 5, 102, 108, 0, -1, 300}) EXPECT_EQ(catalog.Resolve(n), std::nullopt) << n;
}

TEST(PortCatalogDeviceMap, ListsLinksToExistingDevicesByTheirOwnNames) {
  test::TempTree t;
  const fs::path dev = t.Terminal();
  t.Link("map/com7", dev);
  t.Link("map/COM2", dev);
  t.Link("map/COMX", dev);           // listed: the sort judges the name
  t.Link("map/COM5", t / "pts/99");  // dangling: not a port
  t.Link("map/ttyS0", dev);          // not a COM name
  t.File("map/README");
  t.Dir("map/COM8");                       // a directory is no device
  t.Link("map/COM3", t / "map/COM3");      // a link to itself
  t.Link("map/COM9", t.Dir("somewhere"));  // nor is a link to one
  const TPortCatalog catalog({t / "nosys", t / "nodev", t / "map"});
  const auto ports = catalog.List();
  ASSERT_TRUE(ports);
  EXPECT_EQ(Names(ports), (Items{"COM2", "COMX", "com7"}));
  EXPECT_EQ((*ports)[2].device, (t / "map/com7").string());

  EXPECT_EQ(catalog.Resolve(7), (t / "map/com7").string());
  EXPECT_EQ(catalog.Resolve(2), (t / "map/COM2").string());
  EXPECT_EQ(catalog.Resolve(5), std::nullopt);
  EXPECT_EQ(catalog.Resolve(8), std::nullopt);
  EXPECT_EQ(catalog.Resolve(3), std::nullopt);
}

// Things in the device map that are no serial terminal, or carry a number that can never open.
struct Stray {
  const char* what;
  const char* name;
  std::function<void(test::TempTree&, const fs::path& at)> make;
};

void LinkTo(const fs::path& at, const fs::path& target) {
  fs::create_symlink(target, at);
}

const Stray kStrays[] = {
    {"regular file", "compile.log", [](test::TempTree&, const fs::path& at) { std::ofstream(at) << "log"; }},
    {"plain file, not a link", "COM5", [](test::TempTree&, const fs::path& at) { std::ofstream(at) << ""; }},
    {"link to a regular file", "COM5",
     [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.File("f")); }},
    {"FIFO", "COM5", [](test::TempTree&, const fs::path& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }},
    {"link to a FIFO", "COM5",
     [](test::TempTree& t, const fs::path& at) {
       ASSERT_EQ(mkfifo((t / "fifo").c_str(), 0600), 0);
       LinkTo(at, t / "fifo");
     }},
    {"socket", "COM5",
     [](test::TempTree&, const fs::path& at) {
       const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
       sockaddr_un addr{};
       addr.sun_family = AF_UNIX;
       std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", at.c_str());
       ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
       close(fd);
     }},
    {"/dev/null", "COM5", [](test::TempTree&, const fs::path& at) { LinkTo(at, "/dev/null"); }},
    {"/dev/zero", "COM5", [](test::TempTree&, const fs::path& at) { LinkTo(at, "/dev/zero"); }},
    {"/dev/ptmx", "COM5", [](test::TempTree&, const fs::path& at) { LinkTo(at, "/dev/ptmx"); }},
    {"/dev/tty", "COM5", [](test::TempTree&, const fs::path& at) { LinkTo(at, "/dev/tty"); }},
    {"number 0", "COM0", [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.Terminal()); }},
    {"negative number", "COM-4", [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.Terminal()); }},
    {"nine digits", "COM100000000", [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.Terminal()); }},
    {"ten digits", "COM4294967296", [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.Terminal()); }},
    {"nine hexadecimal digits", "COM$100000000",
     [](test::TempTree& t, const fs::path& at) { LinkTo(at, t.Terminal()); }},
};

void PrintTo(const Stray& stray, std::ostream* os) {
  *os << stray.what;
}

class PortCatalogStray : public ::testing::TestWithParam<Stray> {};

TEST_P(PortCatalogStray, IsNoPortAndLeavesTheRealOnesListed) {
  test::TempTree t;
  t.Dir("map");
  t.Link("map/COM3", t.Terminal());
  GetParam().make(t, t / "map" / GetParam().name);
  const TPortCatalog catalog({t / "nosys", t / "nodev", t / "map"});
  EXPECT_EQ(Names(catalog.List()), (Items{"COM3"}));
  if (const auto n = DeviceMapPortNumber(GetParam().name)) {
    EXPECT_EQ(catalog.Resolve(*n), std::nullopt);
  }
  EXPECT_EQ(catalog.Resolve(3), (t / "map/COM3").string());
}

INSTANTIATE_TEST_SUITE_P(Entries, PortCatalogStray, ::testing::ValuesIn(kStrays), [](const auto& info) {
  std::string name;
  for (const char c : std::string(info.param.what))
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

TEST(PortCatalogDeviceMap, ResolvesOnlyNamesWhoseTextIsThatNumber) {
  test::TempTree t;
  const fs::path a = t.Terminal(), b = t.Terminal(), c = t.Terminal();
  t.Link("map/COM4X", a);
  t.Link("map/COM0x10", b);
  t.Link("map/COM1", a);
  t.Link("map/com1", b);  // same number, other devices: only the first in name order, which opens
  t.Link("map/COM01", c);
  t.Link("map/COM16", b);  // same number and device as COM0x10: both listed
  const TPortCatalog catalog({t / "nosys", t / "nodev", t / "map"});
  EXPECT_EQ(catalog.Resolve(4), std::nullopt);
  EXPECT_EQ(catalog.Resolve(16), (t / "map/COM0x10").string());
  EXPECT_EQ(catalog.Resolve(1), (t / "map/COM01").string());
  EXPECT_EQ(Names(catalog.List()), (Items{"COM01", "COM0x10", "COM16", "COM4X"}));
  // Each listed entry opens the device it was listed for.
  const auto listed = catalog.List();
  ASSERT_TRUE(listed);
  for (const TPortEntry& p : *listed) {
    if (const auto n = DeviceMapPortNumber(p.name)) {
      EXPECT_EQ(fs::canonical(*catalog.Resolve(*n)), fs::canonical(p.device)) << p.name;
    }
  }
}

TEST(PortCatalogDeviceMap, DeviceMapWinsOverFamilyDevicesOfTheSameNumber) {
  FakeMachine m;
  const fs::path pty = m.tree.Terminal();
  m.tree.Link("map/COM1", pty);
  m.tree.Link("map/com101", pty);
  m.tree.Link("map/COM2", pty);                  // ttyS1 is a placeholder anyway
  m.tree.Link("map/COM4", m.tree / "pts/gone");  // dangling: ttyS3 keeps the number
  const TPortCatalog catalog(m.Roots(m.tree / "map"));
  const auto ports = catalog.List();
  EXPECT_EQ(Names(ports), (Items{"COM1", "COM2", "com101", "COM4", "COM6", "COM204"}));
  EXPECT_EQ(catalog.Resolve(1), (m.tree / "map/COM1").string());
  EXPECT_EQ(catalog.Resolve(101), (m.tree / "map/com101").string());
  EXPECT_EQ(catalog.Resolve(4), (m.tree / "dev/ttyS3").string());
  EXPECT_EQ(catalog.Resolve(204), (m.tree / "dev/ttyACM3").string());
}

TEST(PortCatalogDeviceMap, MissingOrUnreadableSourcesAreSkipped) {
  FakeMachine m;
  m.tree.File("not-a-dir");
  for (const fs::path& map : {m.tree / "no-such-map", m.tree / "not-a-dir"}) {
    const TPortCatalog catalog(m.Roots(map));
    EXPECT_EQ(Names(catalog.List()), (Items{"COM1", "COM4", "COM6", "COM101", "COM204"})) << map;
    EXPECT_EQ(catalog.Resolve(1), (m.tree / "dev/ttyS0").string());
  }
  const TPortCatalog nothing({m.tree / "no-sys", m.tree / "dev", m.tree / "no-such-map"});
  EXPECT_EQ(nothing.List(), std::nullopt);
  EXPECT_EQ(nothing.Resolve(1), std::nullopt);
}

TEST(PortCatalogDeviceMap, ThousandsOfEntriesListInOrder) {
  test::TempTree t;
  const fs::path dev = t.Terminal();
  std::vector<int> numbers(3000);
  for (int i = 0; i < 3000; ++i) numbers[i] = i + 1;
  std::shuffle(numbers.begin(), numbers.end(), std::mt19937(71));
  for (int n : numbers) t.Link("map/COM" + std::to_string(n), dev);
  for (int i = 0; i < 500; ++i) t.Link("map/COM" + std::to_string(5000 + i), t / "pts/none");
  for (int i = 0; i < 500; ++i) t.File("map/other" + std::to_string(i));

  const TPortCatalog catalog({t / "nosys", t / "nodev", t / "map"});
  test::PlainCommList list;
  list.items = {"OFF", "COM2999"};
  list.selected = 1;
  RefreshCommList(list, [&catalog] { return std::optional<Items>(Names(catalog.List())); });
  ASSERT_EQ(list.items.size(), 3001u);
  for (int i = 1; i <= 3000; ++i) ASSERT_EQ(list.items[i], "COM" + std::to_string(i));
  EXPECT_EQ(list.SelectedText(), "COM2999");
  EXPECT_EQ(catalog.Resolve(2999), (t / "map/COM2999").string());
  EXPECT_EQ(catalog.Resolve(5001), std::nullopt);
}

// Listing and resolving only look at names, links and sysfs attributes: no device file is opened.
TEST(PortCatalogDeviceMap, NothingOpensADevice) {
  FakeMachine m;
  const fs::path pty = m.tree.Terminal();
  m.tree.Link("map/COM7", pty);
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_GE(inotify_add_watch(fd, (m.tree / "dev").c_str(), IN_OPEN), 0);
  ASSERT_GE(inotify_add_watch(fd, pty.c_str(), IN_OPEN), 0);

  const TPortCatalog catalog(m.Roots(m.tree / "map"));
  EXPECT_EQ(Names(catalog.List()).size(), 6u);
  EXPECT_TRUE(catalog.Resolve(7));
  EXPECT_TRUE(catalog.Resolve(1));
  EXPECT_TRUE(catalog.Resolve(101));

  char buf[4096];
  EXPECT_LT(read(fd, buf, sizeof buf), 0) << "a device file was opened";
  // The watch itself works: an open is seen.
  { std::ifstream probe(m.tree / "dev/ttyS0"); }
  EXPECT_GT(read(fd, buf, sizeof buf), 0);
  close(fd);
}

// The machine-wide entry points read the device map named by KX71_DEVICEMAP at each call.
TEST(PortMapEnvironment, DeviceMapVariableFeedsListingAndOpening) {
  test::TempTree t;
  t.Link("map/COM31007", t.Terminal());
  t.Link("map/com31008", t.Terminal());
  const char* saved = std::getenv("KX71_DEVICEMAP");
  const std::string savedText = saved ? saved : "";

  setenv("KX71_DEVICEMAP", (t / "map").c_str(), 1);
  const auto names = ListPortNames();
  ASSERT_TRUE(names);
  EXPECT_NE(std::find(names->begin(), names->end(), "COM31007"), names->end());
  EXPECT_NE(std::find(names->begin(), names->end(), "com31008"), names->end());
  EXPECT_EQ(ResolvePortDevice(31008), (t / "map/com31008").string());

  unsetenv("KX71_DEVICEMAP");
  EXPECT_EQ(ResolvePortDevice(31008), std::nullopt);  // ttyACM30807 does not exist here
  const auto without = ListPortNames();
  if (without) {
    EXPECT_EQ(std::find(without->begin(), without->end(), "COM31007"), without->end());
  }

  if (saved) setenv("KX71_DEVICEMAP", savedText.c_str(), 1);
}

}  // namespace
}  // namespace kx71
