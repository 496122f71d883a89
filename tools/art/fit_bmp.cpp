// Writes the decorative picture at the size the layout table shows it at 96 DPI, for the Windows
// program to paint with a plain copy rather than resample at every start:
//
//   kx71-fit-bmp <source.bmp> <output.bmp>
//
// Both are uncompressed 24-bit bitmaps; the resampling is the program's own (ui/picture), so the
// copy holds the pixels the program would make.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/form/layout.h"
#include "ui/picture/area_average.h"

namespace {

using kx71::TPixels;

std::uint32_t Read(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

void Put(std::vector<unsigned char>& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

std::size_t RowBytes(int width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }

// A 24-bit BI_RGB bitmap file, either row order; empty when it is not one.
TPixels ReadBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), {}};
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || Read(b, 28, 2) != 24 || Read(b, 30, 4) != 0) return {};
  const std::size_t offset = Read(b, 10, 4);
  const int width = static_cast<int>(Read(b, 18, 4));
  const auto rawHeight = static_cast<std::int32_t>(Read(b, 22, 4));
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || offset + RowBytes(width) * static_cast<std::size_t>(height) > b.size()) return {};
  TPixels p{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + RowBytes(width) * static_cast<std::size_t>(topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x)
      p.words[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          Read(b, row + static_cast<std::size_t>(x) * 3, 3);
  }
  return p;
}

bool WriteBmp(const std::string& path, const TPixels& p) {
  const std::size_t rowBytes = RowBytes(p.width), image = rowBytes * static_cast<std::size_t>(p.height);
  std::vector<unsigned char> b{'B', 'M'};
  Put(b, static_cast<std::uint32_t>(54 + image), 4);
  Put(b, 0, 4);
  Put(b, 54, 4);
  Put(b, 40, 4);
  Put(b, static_cast<std::uint32_t>(p.width), 4);
  Put(b, static_cast<std::uint32_t>(p.height), 4);  // bottom-up
  Put(b, 1, 2);
  Put(b, 24, 2);
  Put(b, 0, 4);  // BI_RGB
  Put(b, static_cast<std::uint32_t>(image), 4);
  Put(b, 3780, 4);  // 96 DPI in pixels per metre
  Put(b, 3780, 4);
  Put(b, 0, 4);
  Put(b, 0, 4);
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x)
      Put(b, p.words[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x)], 3);
    b.resize(b.size() + rowBytes - static_cast<std::size_t>(p.width) * 3, 0);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <source.bmp> <output.bmp>\n", argv[0]);
    return 2;
  }
  const kx71::TControlDef* picture = nullptr;
  for (const kx71::TControlDef& def : kx71::Layout())
    if (def.kind == kx71::TControlKind::Picture) picture = &def;
  if (picture == nullptr) {
    std::fprintf(stderr, "%s: no picture in the layout\n", argv[0]);
    return 2;
  }
  const TPixels source = ReadBmp(argv[1]);
  if (source.words.empty()) {
    std::fprintf(stderr, "%s: %s is no uncompressed 24-bit bitmap\n", argv[0], argv[1]);
    return 1;
  }
  if (!WriteBmp(argv[2], kx71::AreaAverage(source, picture->w, picture->h))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  return 0;
}
