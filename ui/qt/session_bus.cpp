#include "ui/qt/session_bus.h"

#include <QDBusConnection>

namespace kx71 {

// Qt keeps the connection, made or failed, for every later caller.
TSessionBusOpener::TSessionBusOpener() : thread_([] { QDBusConnection::sessionBus(); }) {}

TSessionBusOpener::~TSessionBusOpener() {
  thread_.join();
}

}  // namespace kx71
