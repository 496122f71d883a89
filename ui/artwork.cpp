#include "ui/artwork.h"

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

// Area averaging in one direction: the source pixels that make up each target pixel, with the share
// each contributes, in 1/4096ths that add up to exactly 4096.
constexpr int kOne = 4096;

struct Taps {
  int first = 0;
  std::vector<std::uint32_t> weights;
};

std::vector<Taps> AreaTaps(int from, int to) {
  std::vector<Taps> taps(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double lo = i * scale, hi = (i + 1) * scale;
    Taps& t = taps[static_cast<std::size_t>(i)];
    t.first = std::min(from - 1, static_cast<int>(lo));
    const int last = std::clamp(static_cast<int>(std::ceil(hi)) - 1, t.first, from - 1);
    std::uint32_t given = 0;
    for (int s = t.first; s <= last; ++s) {
      const double covered = std::min(hi, s + 1.0) - std::max(lo, static_cast<double>(s));
      const auto w = static_cast<std::uint32_t>(std::lround(std::max(0.0, covered) / scale * kOne));
      t.weights.push_back(w);
      given += w;
    }
    t.weights.back() += kOne - given;  // rounding left over goes to the last source pixel
  }
  return taps;
}

std::uint8_t Average(std::uint32_t weightedSum) {
  return static_cast<std::uint8_t>((weightedSum + kOne / 2) / kOne);
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

  // Across each source row first (8-bit results), then down the columns.
  const std::vector<Taps> across = AreaTaps(width, size.width()), down = AreaTaps(rows, size.height());
  const std::size_t narrow = static_cast<std::size_t>(size.width()) * 3;
  std::vector<std::uint8_t> narrowed(narrow * static_cast<std::size_t>(rows));
  for (int y = 0; y < rows; ++y) {
    const uchar* src = fileRow(y);
    std::uint8_t* dst = &narrowed[narrow * static_cast<std::size_t>(y)];
    for (const Taps& t : across) {
      std::uint32_t b = 0, g = 0, r = 0;
      const uchar* p = src + static_cast<std::size_t>(t.first) * 3;
      for (const std::uint32_t w : t.weights) {
        b += w * p[0];
        g += w * p[1];
        r += w * p[2];
        p += 3;
      }
      *dst++ = Average(b);
      *dst++ = Average(g);
      *dst++ = Average(r);
    }
  }
  QImage out(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    const Taps& t = down[static_cast<std::size_t>(y)];
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    const std::uint8_t* column = &narrowed[narrow * static_cast<std::size_t>(t.first)];
    for (std::size_t x = 0; x < narrow; x += 3) {
      std::uint32_t b = 0, g = 0, r = 0;
      const std::uint8_t* p = column + x;
      for (const std::uint32_t w : t.weights) {
        b += w * p[0];
        g += w * p[1];
        r += w * p[2];
        p += narrow;
      }
      *target++ = qRgb(Average(r), Average(g), Average(b));
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
