#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "wait_until.h"

namespace kx71::test {

bool ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window, 5000);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return kx71::WaitUntil(done, timeout, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });
}

SeenBox CatchMessageBox(const std::function<void()>& trigger) {
  SeenBox seen;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || seen.shown) return;
    seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
    box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
  });
  poll.start();
  trigger();
  // A box opened by a queued event shows only once the events are processed.
  WaitUntil([&] { return seen.shown && !QApplication::activeModalWidget(); }, std::chrono::seconds(3));
  return seen;
}

}  // namespace kx71::test
