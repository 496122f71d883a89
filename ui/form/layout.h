// The window's layout as data: one row per control, in creation order (a later sibling lies above
// an earlier one). Every front end builds its native controls from this table, and the window's
// logic builds the state of each control from it, so both agree by construction.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kx71 {

// The window's title.
inline constexpr const char* kTitle = "KX-71VantorManager V1.00";

enum class TControlKind : std::uint8_t {
  Panel,          // raised one-pixel bevel, no border or caption, filled with its colour
  Caption,        // a label sized to its caption
  FilledLabel,    // an empty opaque label
  Picture,        // the decorative picture stretched to the bounds
  Option,         // a radio option; the options of one parent form a group
  StaticText,     // bevelled, left-aligned, word-wrapped text cut at its height
  ComboBox,       // a drop-down list that cannot be typed into
  PictureButton,  // a picture (bottom-left pixel colour transparent), no caption
  FlatButton,     // a flat push button with a text caption
  Edit,           // a single-line edit
  Bar,            // a horizontal scroll bar
};

struct TColour {
  enum TSource : std::uint8_t {
    None,       // the toolkit's default
    Rgb,        // r, g, b below
    Face,       // the system's button-face colour
    Highlight,  // the system's button-highlight colour
  };
  TSource source = None;
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TColour&) const = default;
};

inline constexpr TColour kNoColour{};
inline constexpr TColour kFaceColour{TColour::Face};
inline constexpr TColour kHighlightColour{TColour::Highlight};
inline constexpr TColour kSkyBlue{TColour::Rgb, 166, 202, 240};
inline constexpr TColour kMediumGrey{TColour::Rgb, 160, 160, 164};
inline constexpr TColour kYellow{TColour::Rgb, 255, 255, 0};
inline constexpr TColour kLime{TColour::Rgb, 0, 255, 0};
inline constexpr TColour kBlue{TColour::Rgb, 0, 0, 255};
inline constexpr TColour kGreen{TColour::Rgb, 0, 128, 0};
inline constexpr TColour kRed{TColour::Rgb, 255, 0, 0};
inline constexpr TColour kShadow{TColour::Rgb, 210, 24, 48};  // the empty labels behind options and comment

struct TFontSpec {
  enum TFamily : std::uint8_t {
    Window,  // the window's font: kUiFontFamily, kUiFontPixels
    Ui,      // kUiFontFamily at `pixels`
    System,  // kSystemFontFamily at `pixels`
  };
  TFamily family = Window;
  std::uint8_t pixels = 0;
  bool bold = false;
  bool capitals = false;  // shows every letter as a capital; the text as set is kept
};

inline constexpr const char* kUiFontFamily = "ＭＳ Ｐゴシック";
inline constexpr const char* kSystemFontFamily = "System";
inline constexpr int kUiFontPixels = 12;

// Flags of a row.
enum : std::uint8_t {
  kChecked = 1,        // an option selected by the layout (no click handler runs)
  kHidden = 2,         // a panel that is not shown
  kNoTabStop = 4,      // skipped by Tab, still focused by a click
  kCaptionAtLeft = 8,  // a flat button without margin: its caption sits at its left edge
};

inline constexpr int kFitted = -1;  // width and height of a caption label sized to its text

struct TControlDef {
  const char* name;
  TControlKind kind;
  const char* parent;  // "" for the window itself
  int x, y, w, h;      // relative to the parent
  const char* caption = "";  // caption, or an edit's initial text
  TColour colour{};          // fill, or an edit's background
  TColour textColour{};      // an edit's text, a button's caption
  TFontSpec font{};
  int tabIndex = -1;         // panels: order among the panels; children follow their creation order
  int min = 0, max = 0, position = 0, step = 0;  // bars
  const char* link = "";     // the partner control FormCreate links this one to
  std::uint8_t flags = 0;
  const char* resource = "";     // picture buttons and the picture: the artwork's name
  const char* accessible = "";   // picture buttons: the name and the description assistive tools read
  const char* description = "";
  int rowHeight = 0;    // the comment box's line spacing, the drop-down list's row height
  int visibleRows = 0;  // the drop-down list's rows shown at once

  bool Has(std::uint8_t flag) const { return (flags & flag) != 0; }
};

// Every control, in creation order.
std::span<const TControlDef> Layout();

struct TSize {
  int width = 0, height = 0;
  bool operator==(const TSize&) const = default;
};

// The window's client area: the extent of the panels for which `shown(row)` holds, from the
// window's corner.
template <class Shown>
TSize PanelExtent(Shown&& shown) {
  TSize extent;
  for (const TControlDef& def : Layout()) {
    if (def.kind != TControlKind::Panel || !shown(def)) continue;
    if (def.x + def.w > extent.width) extent.width = def.x + def.w;
    if (def.y + def.h > extent.height) extent.height = def.y + def.h;
  }
  return extent;
}

}  // namespace kx71
