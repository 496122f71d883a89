// The decorative picture behind the level options: a 796 x 478 true-colour bitmap stretched into
// the area it covers. It is kept uncompressed in the resources and stretched straight from there,
// which spares the start-up a decode and a full-size copy.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

namespace kx71 {

inline constexpr const char* kDecorResource = ":/kx71/decor.bmp";
inline const QSize kDecorSize{796, 478};       // the picture as drawn
inline const QSize kDecorShownSize{321, 345};  // the area it is stretched into

// The picture stretched to kDecorShownSize.
QPixmap DecorativePicture();

// The pixels of the 24-bit bitmap file at `file` stretched to `size` by area averaging, read where
// they lie; a null image when the file is not an uncompressed 24-bit bitmap.
QImage StretchBitmap(const uchar* file, qsizetype fileSize, QSize size);

}  // namespace kx71
