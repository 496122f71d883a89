// The serial component's view of the GUI thread: tasks posted from any thread run in the Qt event
// loop, and ProcessMessages is one pass of that loop from inside a handler.
#pragma once

#include <QObject>
#include <functional>

#include "comm/main_thread.h"
#include "comm/task_queue.h"

namespace kx71 {

class TQtMainThread : public QObject, public TMainThread {
  Q_OBJECT

 public:
  TQtMainThread() = default;

  void Post(std::function<void()> task) override;
  void ProcessMessages() override;

 private slots:
  // Runs the oldest posted task. Invoked by name, so the queued call is built inside Qt.
  void RunNext();

 private:
  // The tasks pass through a standard mutex rather than inside Qt's event queue, whose locking the
  // thread sanitizer cannot see (Qt is not instrumented).
  TTaskQueue tasks_;
};

}  // namespace kx71
