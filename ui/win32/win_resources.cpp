#include "ui/win32/win_resources.h"

#include "ui/win32/win_fonts.h"
#include "ui/win32/win_paint.h"

namespace kx71 {
namespace {

// The resource name of an artwork file: its name up to the first full stop, in capitals.
std::wstring ResourceName(const char* file) {
  std::wstring name;
  for (const char* p = file; *p != '\0' && *p != '.'; ++p)
    name.push_back(static_cast<wchar_t>(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p));
  return name;
}

}  // namespace

COLORREF ToColorRef(const TColour& c, COLORREF fallback) {
  switch (c.source) {
    case TColour::Rgb:
      return RGB(c.r, c.g, c.b);
    case TColour::Face:
      return GetSysColor(COLOR_BTNFACE);
    case TColour::Highlight:
      return GetSysColor(COLOR_BTNHIGHLIGHT);
    case TColour::None:
      break;
  }
  return fallback;
}

TWinResources::~TWinResources() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [key, brush] : brushes_) DeleteObject(brush);
  for (auto& [key, bitmap] : artwork_) DeleteObject(bitmap);
  for (auto& [key, bitmap] : stretched_) DeleteObject(bitmap);
}

HFONT TWinResources::Font(const TFontSpec& look, const TScale& scale) {
  const int pixels = scale.FontPixels(look);
  const auto key = std::make_tuple(static_cast<int>(look.family), pixels, look.bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const HFONT font = look.family == TFontSpec::System ? MakeSystemFont(pixels, look.bold) : MakeUiFont(pixels, look.bold);
  fonts_[key] = font;
  return font;
}

HBRUSH TWinResources::Brush(COLORREF colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  const HBRUSH brush = CreateSolidBrush(colour);
  brushes_[colour] = brush;
  return brush;
}

HBITMAP TWinResources::Artwork(const char* file) {
  auto it = artwork_.find(file);
  if (it != artwork_.end()) return it->second;
  const auto bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), ResourceName(file).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  artwork_[file] = bitmap;
  return bitmap;
}

HBITMAP TWinResources::Artwork(const char* file, SIZE size) {
  const auto key = std::make_tuple(std::string(file), static_cast<int>(size.cx), static_cast<int>(size.cy));
  auto it = stretched_.find(key);
  if (it != stretched_.end()) return it->second;
  // The build stores the picture at its 96 DPI size: at that size no resampling is needed.
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), (ResourceName(file) + L"_SHOWN").c_str(),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP bm{};
  if (bitmap != nullptr && (GetObjectW(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth != size.cx || bm.bmHeight != size.cy)) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  if (bitmap == nullptr) bitmap = StretchPicture(Artwork(file), size);
  stretched_[key] = bitmap;
  return bitmap;
}

}  // namespace kx71
