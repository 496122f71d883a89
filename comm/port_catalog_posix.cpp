#include "port_catalog.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <unordered_set>

#include "comm/port_names.h"
#include "protocol/int_text.h"

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

// Whether `path` (following links) is something other than a directory.
bool IsDeviceLike(const fs::path& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
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
  std::vector<MapLink> links;
  for (std::string& name : *names) {
    if (!IsDeviceMapPortName(name)) continue;
    fs::path path = *roots_.deviceMap / name;
    if (!IsDeviceLike(path)) continue;  // dangling link, or a directory
    links.push_back({std::move(name), std::move(path)});
  }
  return links;
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
    for (const MapLink& link : *links) {
      if (const auto n = DeviceMapPortNumber(link.name)) mapped.insert(*n);
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
