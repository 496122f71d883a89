#include "ui/qt/fixed_size_keeper.h"

#include <QEvent>
#include <QWindow>

namespace kx71 {

TFixedSizeKeeper::TFixedSizeKeeper(QWidget* window) : QObject(window), window_(window) {
  window->installEventFilter(this);
}

bool TFixedSizeKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Resize && !queued_) {
    const QSize fixed = window_->minimumSize();
    if (fixed == window_->maximumSize() && window_->size() != fixed) {
      // Queued: the window system is still delivering the size it was given.
      queued_ = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            queued_ = false;
            const QSize size = window_->minimumSize();
            if (size == window_->maximumSize() && window_->size() != size) {
              window_->resize(size);
              // The toolkit skips a resize to the size it last asked for; ask the window itself.
              if (QWindow* handle = window_->windowHandle()) handle->resize(size);
            }
          },
          Qt::QueuedConnection);
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kx71
