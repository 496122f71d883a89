#include "ui/artwork.h"

#include <QImage>
#include <QImageReader>
#include <future>
#include <mutex>
#include <optional>

namespace kx71 {
namespace {

std::mutex preloadMutex;
std::optional<std::future<QImage>> preload;

QImage DecodeStretched() {
  // The format is named so that no image plugin is probed.
  QImageReader reader(QString::fromLatin1(kDecorResource), "png");
  const QImage image = reader.read();
  return image.scaled(kDecorShownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

void PreloadDecorativePicture() {
  std::lock_guard lock(preloadMutex);
  if (!preload) preload = std::async(std::launch::async, DecodeStretched);
}

QPixmap DecorativePicture() {
  std::optional<std::future<QImage>> started;
  {
    std::lock_guard lock(preloadMutex);
    started.swap(preload);
  }
  return QPixmap::fromImage(started ? started->get() : DecodeStretched());
}

void DiscardPreloadedPicture() {
  std::optional<std::future<QImage>> started;
  {
    std::lock_guard lock(preloadMutex);
    started.swap(preload);
  }
  if (started) started->wait();
}

}  // namespace kx71
