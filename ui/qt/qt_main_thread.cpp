#include "ui/qt/qt_main_thread.h"

#include <QCoreApplication>
#include <utility>

#include "ui/qt/failure_report.h"

namespace kx71 {

void TQtMainThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(lock_);
    tasks_.push_back(std::move(task));
  }
  // One queued wake-up per task: Qt delivers them on this object's (GUI) thread in posting order.
  QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

void TQtMainThread::RunNext() {
  std::function<void()> task;
  {
    std::lock_guard lock(lock_);
    if (tasks_.empty()) return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  Guarded(&QtFailureBox(), task);
}

void TQtMainThread::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kx71
