// The serial component's view of the GUI thread: tasks posted from any thread run in the Qt event
// loop, and ProcessMessages is one pass of that loop from inside a handler.
#pragma once

#include <QObject>
#include <functional>

#include "comm/main_thread.h"
#include "ui/busy_depth.h"

namespace kx71 {

class TQtMainThread : public TMainThread {
 public:
  // `busy`, when given, is held while ProcessMessages runs, so a close requested by a message it
  // handles waits until the pumping handler has returned.
  explicit TQtMainThread(TBusyDepth* busy = nullptr);

  void Post(std::function<void()> task) override;
  void ProcessMessages() override;

 private:
  QObject receiver_;  // lives on the GUI thread; posted tasks are delivered to it
  TBusyDepth* busy_;
};

}  // namespace kx71
