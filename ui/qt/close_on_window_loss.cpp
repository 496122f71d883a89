#include "ui/qt/close_on_window_loss.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

#include "ui/qt/end_program.h"

namespace kx71 {

TCloseOnWindowLoss::TCloseOnWindowLoss(QWidget& window) : window_(window) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

TCloseOnWindowLoss::~TCloseOnWindowLoss() {
  QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TCloseOnWindowLoss::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
  if (window_.internalWinId() == 0 || destroyed->window != static_cast<xcb_window_t>(window_.internalWinId()))
    return false;
  // Queued, out of the toolkit's event dispatch; the close waits for a handler that pumps messages.
  QMetaObject::invokeMethod(
      &window_, [w = &window_] { EndProgram(*w); }, Qt::QueuedConnection);
  return false;
}

}  // namespace kx71
