// The window's artwork as the screen shows it: each picture comes at 1x and at 2x, so it stays
// sharp on a screen that scales by 2 and is never stretched on one that does not.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace kx71 {

// A PNG from the resources, read by Qt's own reader with no image plugin loaded.
QImage ReadPng(const QString& path);

// The decorative picture made at the size it is shown (in the resources at 1x and 2x, built from
// ui/res), for a screen of device pixel ratio `ratio`: at 1 and 2 the resource's pixels themselves,
// neither copied nor decoded; else the 2x one smoothly stretched to the device pixels of `shown`
// (logical pixels). Null if the resource is missing or not of that size.
QImage DecorativePicture(QSize shown, qreal ratio);

// A button picture from ui/res (`name` and name@2x) with its bottom-left pixel colour transparent,
// and its size in logical pixels.
struct TButtonPicture {
  QIcon icon;
  QSize size;
};
TButtonPicture ButtonPicture(const char* name);

}  // namespace kx71
