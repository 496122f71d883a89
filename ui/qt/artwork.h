// The decorative picture behind the level options: a 796 x 478 true-colour bitmap stretched into
// the area it covers. It is kept uncompressed in the resources, so loading it inflates nothing.
#pragma once

#include <QPixmap>
#include <QSize>

namespace kx71 {

inline constexpr const char* kDecorResource = ":/kx71/decor.bmp";
inline const QSize kDecorSize{796, 478};  // the picture as drawn

// The picture smoothly stretched to `shown` (the layout's picture row); a null pixmap if the
// resource is missing.
QPixmap DecorativePicture(QSize shown);

}  // namespace kx71
