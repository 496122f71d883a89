#include "ui/qt/qt_main_thread.h"

#include <QCoreApplication>
#include <utility>

#include "ui/qt/failure_report.h"

namespace kx71 {

void TQtMainThread::Post(std::function<void()> task) {
  tasks_.Push(std::move(task));
  // One queued wake-up per task: Qt delivers them on this object's (GUI) thread in posting order.
  QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

void TQtMainThread::RunNext() {
  if (std::function<void()> task = tasks_.Pop()) Guarded(&QtFailureBox(), task);
}

void TQtMainThread::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kx71
