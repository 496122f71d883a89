// One start of a window for the start-up benchmark: shows the window, writes the monotonic clock
// (nanoseconds) on stdout once its first frame is painted, and ends. The window is the main window,
// an empty Qt window of its size, or that with one label (KX71_PROBE_LABEL).
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <ctime>

#if KX71_PROBE_MAIN_WINDOW
#include "ui/qt/application.h"
#include "ui/qt/main_form.h"
#else
#include <QLabel>
#endif

namespace {

long long MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// Sees the first paint event; the frame it belongs to is complete when the loop next runs a
// queued call.
class FirstFrame : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      seen_ = true;
      QMetaObject::invokeMethod(
          qApp,
          [] {
            std::printf("%lld\n", MonotonicNs());
            std::fflush(stdout);
            QCoreApplication::quit();
          },
          Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
#if KX71_PROBE_MAIN_WINDOW
  kx71::TApplication app(argc, argv);
  FirstFrame watcher;
  app.installEventFilter(&watcher);
  kx71::TQtMainForm window;
#else
  QApplication app(argc, argv);
  FirstFrame watcher;
  app.installEventFilter(&watcher);
  QWidget window;
  window.setFixedSize(310, 416);
  window.setWindowTitle(QStringLiteral("empty"));
#if KX71_PROBE_LABEL
  // The least a window that shows text pays: the font machinery's start and one line of glyphs.
  QLabel label(QStringLiteral("KX-71VantorManager V1.00"), &window);
  label.move(10, 10);
#endif
#endif
  window.show();
  return app.exec();
}
