// Keeps a window at its fixed size. Without a window manager nothing enforces the size hints, so
// a resize from another X client would stick and show an empty area; this puts the size back.
#pragma once

#include <QObject>
#include <QWidget>

namespace kx71 {

class TFixedSizeKeeper : public QObject {
  Q_OBJECT

 public:
  // Watches `window` (and is owned by it) from now on.
  explicit TFixedSizeKeeper(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  bool queued_ = false;
};

}  // namespace kx71
