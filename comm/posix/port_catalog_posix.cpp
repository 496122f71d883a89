#include "comm/posix/port_catalog.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <unordered_set>

#include "comm/port_names.h"
#include "text/int_text.h"

namespace kx71 {
namespace fs = std::filesystem;

namespace {

// Names of the entries of `dir`; nothing when it cannot be read. Stops quietly at a read error
// part way, keeping what was read.
std::optional<std::vector<std::string>> EntryNames(const fs::path& dir) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  std::vector<std::string> names;
  for (const fs::directory_iterator end; it != end;) {
    names.push_back(it->path().filename().string());
    it.increment(ec);
    if (ec) break;
  }
  return names;
}

// A sysfs `type` file that reads 0 marks a serial-core port with no UART behind it. An unreadable
// or unexpected file says nothing, so the port is kept.
bool IsPlaceholderType(const fs::path& typeFile) {
  std::ifstream in(typeFile);
  if (!in) return false;
  std::string text;
  std::getline(in, text);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  const auto type = ParseIntText(text);
  return type && *type == 0;
}

// Device numbers of one terminal driver.
struct TtyRange {
  unsigned major, firstMinor, lastMinor;
};

// The serial and pseudo-terminal-slave drivers of the kernel's table ("serial /dev/ttyS 4 64-95
// serial"). Without the table: the usual numbers of serial lines, USB adapters and pty slaves.
std::vector<TtyRange> SerialTerminalRanges(const fs::path& drivers) {
  std::ifstream in(drivers);
  if (!in) return {{4, 64, 255}, {136, 0, 1048575}, {137, 0, 1048575}, {166, 0, 255}, {188, 0, 511}};
  std::vector<TtyRange> ranges;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, node, minors, type;
    unsigned major = 0;
    if (!(fields >> name >> node >> major >> minors >> type)) continue;
    if (type != "serial" && type != "pty:slave") continue;
    unsigned first = 0, last = 0;
    const auto dash = minors.find('-');
    try {
      first = static_cast<unsigned>(std::stoul(minors.substr(0, dash)));
      last = dash == std::string::npos ? first : static_cast<unsigned>(std::stoul(minors.substr(dash + 1)));
    } catch (const std::exception&) {
      continue;
    }
    ranges.push_back({major, first, last});
  }
  return ranges;
}

// The device number of the serial terminal that `path` leads to, or nothing for anything else:
// files, FIFOs, sockets, /dev/null, /dev/ptmx, consoles, missing targets. Looks without opening.
std::optional<unsigned long long> SerialTerminal(const fs::path& path, const std::vector<TtyRange>& ranges) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
  const unsigned maj = major(st.st_rdev), min = minor(st.st_rdev);
  for (const TtyRange& r : ranges)
    if (r.major == maj && min >= r.firstMinor && min <= r.lastMinor) return st.st_rdev;
  return std::nullopt;
}

}  // namespace

TPortRoots TPortRoots::FromEnvironment() {
  TPortRoots roots;
  // Read on every call so a changed variable takes effect; nothing in the program sets it.
  const char* map = std::getenv("KX71_DEVICEMAP");  // NOLINT(concurrency-mt-unsafe)
  if (map != nullptr && *map != '\0') roots.deviceMap = fs::path(map);
  return roots;
}

std::optional<std::vector<TPortCatalog::MapLink>> TPortCatalog::DeviceMapLinks() const {
  if (!roots_.deviceMap) return std::nullopt;
  auto names = EntryNames(*roots_.deviceMap);
  if (!names) return std::nullopt;
  std::sort(names->begin(), names->end());
  const std::vector<TtyRange> terminals = SerialTerminalRanges(roots_.ttyDrivers);
  std::vector<MapLink> links;
  for (std::string& name : *names) {
    if (!IsDeviceMapPortName(name)) continue;
    // A name without a number stays: the list's sort reports it. A number too long for the
    // reader can never open either, so it goes like the other numbers out of range.
    if (const auto n = DeviceMapPortNumber(name); n ? !IsOpenablePortNo(*n) : IsIntTextForm(name.substr(3)))
      continue;
    fs::path path = *roots_.deviceMap / name;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) continue;  // a stray file is no port
    const auto device = SerialTerminal(path, terminals);
    if (!device) continue;
    links.push_back({std::move(name), std::move(path), *device});
  }
  return links;
}

bool TPortCatalog::IsSerialTerminal(const fs::path& path) const {
  return SerialTerminal(path, SerialTerminalRanges(roots_.ttyDrivers)).has_value();
}

bool TPortCatalog::IsRealDevice(const std::string& ttyName) const {
  const fs::path entry = roots_.sysClassTty / ttyName;
  std::error_code ec;
  if (!fs::exists(entry / "device", ec)) return false;  // consoles, ptys, dangling links
  if (IsPlaceholderType(entry / "type")) return false;
  return fs::exists(roots_.dev / ttyName, ec);
}

std::optional<std::vector<TPortEntry>> TPortCatalog::List() const {
  const auto links = DeviceMapLinks();
  const auto ttys = EntryNames(roots_.sysClassTty);
  if (!links && !ttys) return std::nullopt;

  std::vector<TPortEntry> ports;
  std::unordered_set<std::int32_t> mapped;
  if (links) {
    // Entries that share a number open the first of them, so list only that one, unless all of
    // them lead to the same device.
    std::map<std::int32_t, std::pair<unsigned long long, bool>> shared;  // first device, all same
    for (const MapLink& link : *links) {
      if (const auto n = DeviceMapPortNumber(link.name)) {
        const auto [it, first] = shared.try_emplace(*n, link.device, true);
        if (!first && it->second.first != link.device) it->second.second = false;
      }
    }
    std::unordered_set<std::int32_t> listed;
    for (const MapLink& link : *links) {
      if (const auto n = DeviceMapPortNumber(link.name)) {
        mapped.insert(*n);
        if (!listed.insert(*n).second && !shared[*n].second) continue;
      }
      ports.push_back({link.name, link.path.string()});
    }
  }
  if (ttys) {
    std::vector<std::pair<std::int32_t, std::string>> family;
    for (const std::string& tty : *ttys) {
      const auto n = FamilyPortNumber(tty);
      if (!n || mapped.count(*n) != 0 || !IsRealDevice(tty)) continue;
      family.emplace_back(*n, tty);
    }
    std::sort(family.begin(), family.end());
    for (const auto& [n, tty] : family)
      ports.push_back({"COM" + std::to_string(n), (roots_.dev / tty).string()});
  }
  return ports;
}

std::optional<std::string> TPortCatalog::Resolve(std::int32_t portNo) const {
  if (const auto links = DeviceMapLinks()) {
    for (const MapLink& link : *links)
      if (DeviceMapPortNumber(link.name) == portNo) return link.path.string();
  }
  const auto tty = FamilyDeviceName(portNo);
  if (tty && IsRealDevice(*tty)) return (roots_.dev / *tty).string();
  return std::nullopt;
}

}  // namespace kx71
