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
  // One at a time; the signals' previous handling comes back when it is destroyed.
  explicit TCloseOnSignals(QWidget& window);
  ~TCloseOnSignals() override;
  TCloseOnSignals(const TCloseOnSignals&) = delete;
  TCloseOnSignals& operator=(const TCloseOnSignals&) = delete;

 private:
  QWidget& window_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kx71
