#include "ui/qt_main_thread.h"

#include <QCoreApplication>
#include <optional>
#include <utility>

#include "ui/failure_report.h"

namespace kx71 {

TQtMainThread::TQtMainThread(TBusyDepth* busy) : busy_(busy) {}

void TQtMainThread::Post(std::function<void()> task) {
  // A queued call: Qt delivers it on the receiver's (GUI) thread in posting order.
  QMetaObject::invokeMethod(
      &receiver_, [task = std::move(task)] { Guarded(task); }, Qt::QueuedConnection);
}

void TQtMainThread::ProcessMessages() {
  std::optional<TBusyDepth::TGuard> guard;
  if (busy_) guard.emplace(*busy_);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kx71
