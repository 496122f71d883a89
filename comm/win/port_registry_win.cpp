#include "comm/win/port_registry_win.h"

namespace kx71 {
namespace {

// An open registry key, closed on every way out (the reading below can throw std::bad_alloc).
class TRegistryKey {
 public:
  explicit TRegistryKey(HKEY key) : key_(key) {}
  ~TRegistryKey() { RegCloseKey(key_); }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_;
};

}  // namespace

std::optional<std::vector<std::string>> ReadRegistryPortNames(HKEY root, const char* subKey) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  const TRegistryKey key(opened);

  std::vector<std::string> names;
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                       &maxData, nullptr, nullptr) == ERROR_SUCCESS) {
    std::vector<char> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    int grown = 0;
    for (DWORD i = 0;;) {
      DWORD nameLen = static_cast<DWORD>(name.size());
      DWORD dataLen = static_cast<DWORD>(data.size());
      DWORD type = 0;
      const LONG r =
          RegEnumValueA(key.Get(), i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
      if (r == ERROR_MORE_DATA && grown < 8) {
        // A value grew after the key was measured: retry it with larger buffers.
        name.resize(name.size() * 2 + 256);
        data.resize(data.size() * 2 + 256);
        ++grown;
        continue;
      }
      if (r != ERROR_SUCCESS) break;  // no more values, or the key went away
      if (type == REG_SZ) {
        // The stored string need not end in a terminator; it ends at the first one if it does.
        std::string text(reinterpret_cast<const char*>(data.data()), dataLen);
        text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
        names.push_back(std::move(text));
      }
      ++i;
      grown = 0;
    }
  }
  return names;
}

}  // namespace kx71
