// Ends the program when another X client destroys its main window. The toolkit takes no notice of
// that, so a process without a window would go on holding the port; closing the window instead
// ends the loop and closes the port as the exit button does.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QWidget>

namespace kx71 {

class TCloseOnWindowLoss : public QAbstractNativeEventFilter {
 public:
  explicit TCloseOnWindowLoss(QWidget& window);
  ~TCloseOnWindowLoss() override;
  TCloseOnWindowLoss(const TCloseOnWindowLoss&) = delete;
  TCloseOnWindowLoss& operator=(const TCloseOnWindowLoss&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QWidget& window_;
};

}  // namespace kx71
