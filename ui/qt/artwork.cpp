#include "ui/qt/artwork.h"

#include <QResource>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kx71 {
namespace {

// Gives back the resident pages of read-only data compiled into the program once it has been
// used; they are read from the program file again should anything touch them later. The picture's
// 1.1 MB would otherwise stay resident next to its stretched copy.
void ReleaseProgramPages(const void* data, qsizetype size) {
#ifdef Q_OS_LINUX
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto from = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (from + page - 1) & ~(page - 1), end = (from + size) & ~(page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
#else
  (void)data;
  (void)size;
#endif
}

std::uint32_t U32(const uchar* b) {
  std::uint32_t v = 0;
  std::memcpy(&v, b, 4);  // little-endian on every platform the window runs on
  return v;
}

std::uint16_t U16(const uchar* b) {
  std::uint16_t v = 0;
  std::memcpy(&v, b, 2);
  return v;
}

// Area averaging in one direction: for each target pixel, the source pixels that make it up
// (first, count) and the share each contributes, in 1/4096ths that add up to exactly 4096.
constexpr std::uint32_t kOne = 4096;

struct Taps {
  std::vector<int> first, count, offset;
  std::vector<std::uint32_t> weights;  // count[i] weights from offset[i]
};

Taps AreaTaps(int from, int to) {
  Taps taps;
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double lo = i * scale, hi = (i + 1) * scale;
    const int first = std::min(from - 1, static_cast<int>(lo));
    const int last = std::clamp(static_cast<int>(std::ceil(hi)) - 1, first, from - 1);
    taps.first.push_back(first);
    taps.count.push_back(last - first + 1);
    taps.offset.push_back(static_cast<int>(taps.weights.size()));
    std::uint32_t given = 0;
    for (int s = first; s <= last; ++s) {
      const double covered = std::min(hi, s + 1.0) - std::max(lo, static_cast<double>(s));
      const auto w = static_cast<std::uint32_t>(std::lround(std::max(0.0, covered) / scale * kOne));
      taps.weights.push_back(w);
      given += w;
    }
    taps.weights.back() += kOne - given;  // what rounding left over goes to the last source pixel
  }
  return taps;
}

}  // namespace

QImage StretchBitmap(const uchar* file, qsizetype fileSize, QSize size) {
  constexpr int kHeader = 54;  // file header + BITMAPINFOHEADER
  if (fileSize < kHeader || file[0] != 'B' || file[1] != 'M' || size.isEmpty()) return {};
  const std::uint32_t offset = U32(file + 10), infoSize = U32(file + 14);
  const auto width = static_cast<std::int32_t>(U32(file + 18)),
             height = static_cast<std::int32_t>(U32(file + 22));
  if (infoSize < 40 || U16(file + 28) != 24 || U32(file + 30) != 0 || width <= 0 || height == 0 ||
      height == INT32_MIN) {
    return {};
  }
  const int rows = std::abs(height);
  const qsizetype stride = (static_cast<qsizetype>(width) * 3 + 3) & ~qsizetype{3};
  if (offset < kHeader || offset > static_cast<std::uint64_t>(fileSize) ||
      (fileSize - offset) / stride < rows) {
    return {};
  }
  const uchar* pixels = file + offset;
  auto fileRow = [&](int y) { return pixels + stride * (height > 0 ? rows - 1 - y : y); };  // bottom-up

  // Down the columns first, over whole rows at a time (a loop the compiler vectorises), into
  // sixteenths of a level; then across each row.
  const Taps across = AreaTaps(width, size.width()), down = AreaTaps(rows, size.height());
  const std::size_t rowValues = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint32_t> column(rowValues);
  std::vector<std::uint16_t> sixteenths(rowValues);
  QImage out(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    const std::uint32_t* wy = &down.weights[static_cast<std::size_t>(down.offset[y])];
    const uchar* src = fileRow(down.first[y]);
    for (std::size_t i = 0; i < rowValues; ++i) column[i] = wy[0] * src[i];
    for (int k = 1; k < down.count[y]; ++k) {
      src = fileRow(down.first[y] + k);
      for (std::size_t i = 0; i < rowValues; ++i) column[i] += wy[k] * src[i];
    }
    for (std::size_t i = 0; i < rowValues; ++i) {
      sixteenths[i] = static_cast<std::uint16_t>((column[i] + kOne / 32) / (kOne / 16));
    }
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const std::uint32_t* wx = &across.weights[static_cast<std::size_t>(across.offset[x])];
      const std::uint16_t* p = &sixteenths[static_cast<std::size_t>(across.first[x]) * 3];
      std::uint32_t b = 0, g = 0, r = 0;
      for (int k = 0; k < across.count[x]; ++k, p += 3) {
        b += wx[k] * p[0];
        g += wx[k] * p[1];
        r += wx[k] * p[2];
      }
      auto level = [](std::uint32_t v) { return static_cast<int>((v + kOne * 8) / (kOne * 16)); };
      target[x] = qRgb(level(r), level(g), level(b));
    }
  }
  return out;
}

QPixmap DecorativePicture() {
  const QResource resource(QString::fromLatin1(kDecorResource));
  QImage stretched;
  if (resource.compressionAlgorithm() == QResource::NoCompression) {
    // Compiled into the program uncompressed: the data lies in its read-only file mapping.
    stretched = StretchBitmap(resource.data(), resource.size(), kDecorShownSize);
    ReleaseProgramPages(resource.data(), resource.size());
  }
  if (stretched.isNull()) {  // not the bitmap expected: let Qt read whatever it is
    stretched = QImage(QString::fromLatin1(kDecorResource))
                    .scaled(kDecorShownSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return QPixmap::fromImage(stretched);
}

}  // namespace kx71
