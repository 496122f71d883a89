#include "ui/qt/session_bus.h"

#include <unistd.h>

#include <QDBusConnection>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kx71 {

std::string SessionBusAddress(const char* address, const char* runtimeDir, unsigned uid) {
  if (address != nullptr && *address != '\0') return {};
  const std::string dir = runtimeDir != nullptr && *runtimeDir != '\0' ? runtimeDir : "/run/user/" + std::to_string(uid);
  // Bus addresses keep letters, digits and -_/.\ as they are; any other byte is written %hh.
  std::string text = "unix:path=";
  for (const char c : dir + "/bus") {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        std::string_view("-_/.\\").find(c) != std::string_view::npos) {
      text.push_back(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02x", byte);
      text += escaped;
    }
  }
  return text;
}

// Made before the program's first thread (the application's first base): the environment is this
// thread's alone.
TSessionBusAddress::TSessionBusAddress() {
  const char* set = std::getenv("DBUS_SESSION_BUS_ADDRESS");  // NOLINT(concurrency-mt-unsafe)
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");        // NOLINT(concurrency-mt-unsafe)
  const std::string address = SessionBusAddress(set, runtime, getuid());
  if (!address.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
}

// Qt keeps the connection, made or failed, for every later caller.
TSessionBusOpener::TSessionBusOpener() : thread_([] { QDBusConnection::sessionBus(); }) {}

TSessionBusOpener::~TSessionBusOpener() {
  thread_.join();
}

}  // namespace kx71
