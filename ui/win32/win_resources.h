// The GDI objects the window's controls share, made on first use and kept until the window goes:
// fonts by look, solid brushes by colour, the artwork by name.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "ui/form/layout.h"
#include "ui/form/scale.h"

namespace kx71 {

// A layout colour on Windows; `fallback` for kNoColour.
COLORREF ToColorRef(const TColour& colour, COLORREF fallback);

class TWinResources {
 public:
  TWinResources() = default;
  ~TWinResources();
  TWinResources(const TWinResources&) = delete;
  TWinResources& operator=(const TWinResources&) = delete;

  // The look's font at `scale` (each size made once: fonts of an earlier scale stay until the end).
  HFONT Font(const TFontSpec& look, const TScale& scale);
  HBRUSH Brush(COLORREF colour);
  // The bitmap resource of an artwork file (nullptr when the program lacks it).
  HBITMAP Artwork(const char* file);
  // The same at `size` (kept for that size): the copy the build made for that size (the resource
  // named with "_SHOWN"), or stretched.
  HBITMAP Artwork(const char* file, SIZE size);

 private:
  std::map<std::tuple<int, int, bool>, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::string, HBITMAP> artwork_;
  std::map<std::tuple<std::string, int, int>, HBITMAP> stretched_;
};

}  // namespace kx71
