// The decorative picture behind the level options. Decoding it is the largest single cost of the
// window's start-up, so the program starts it on a worker thread while Qt connects to the display
// and the window builds its controls.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace kx71 {

inline constexpr const char* kDecorResource = ":/kx71/decor.png";
inline const QSize kDecorSize{796, 478};       // the picture as drawn
inline const QSize kDecorShownSize{321, 345};  // the area it is stretched into

// Starts decoding the picture and stretching it to kDecorShownSize on a worker thread.
void PreloadDecorativePicture();

// The picture stretched to kDecorShownSize: the preloaded one if a preload was started, else
// decoded now.
QPixmap DecorativePicture();

// Waits for a preload nobody took (so no worker outlives the application).
void DiscardPreloadedPicture();

}  // namespace kx71
