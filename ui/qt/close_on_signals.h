// Ends the program as the exit button does when it is asked to end by a signal: a logout or a
// closed terminal (SIGHUP), Ctrl+C (SIGINT) or `kill` (SIGTERM). Their default action would end
// the process at once, without closing the port, and the terminal's exclusive-use flag would
// outlive it. The signal only requests the window's close, so an exchange in progress finishes.
#pragma once

#include <QObject>
#include <QWidget>

class QSocketNotifier;

namespace kx71 {

class TCloseOnSignals : public QObject {
  Q_OBJECT

 public:
  // What becomes of the signals when this object goes: their previous handling, or none at all
  // for a program whose loop has ended, so that a signal coming late cannot cut short the port's
  // close that follows.
  enum class TAfterwards { Restore, Ignore };

  // One at a time.
  explicit TCloseOnSignals(QWidget& window, TAfterwards afterwards = TAfterwards::Restore);
  ~TCloseOnSignals() override;
  TCloseOnSignals(const TCloseOnSignals&) = delete;
  TCloseOnSignals& operator=(const TCloseOnSignals&) = delete;

 private:
  QWidget& window_;
  TAfterwards afterwards_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kx71
