// The layout table: spot checks of a few rows against the window as specified (bounds, parents,
// colours, captions and the state at the end of start-up), and what must hold of every row (names,
// parents and partners resolve, tab indices unique, controls inside their parents and clear of their
// siblings), the shadow labels and the panels' tab order.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "fake_window.h"
#include "ui/form/layout.h"

namespace kx71 {
namespace {

// Written out here rather than taken from the table's own constants, so that a wrong one shows.
constexpr TColour kFace{TColour::Face}, kHighlight{TColour::Highlight};
constexpr TColour kSky{TColour::Rgb, 166, 202, 240}, kGrey{TColour::Rgb, 160, 160, 164};
constexpr TColour kYellowC{TColour::Rgb, 255, 255, 0}, kLimeC{TColour::Rgb, 0, 255, 0};
constexpr TColour kBlueC{TColour::Rgb, 0, 0, 255}, kGreenC{TColour::Rgb, 0, 128, 0}, kRedC{TColour::Rgb, 255, 0, 0};

struct Bar {
  int min, max, pos, step;
};

struct Row {
  const char* name;
  const char* parent;
  int x, y, w, h;
  const char* text = nullptr;  // caption, or the text at the end of start-up
  TColour fill{};              // opaque background, or an edit's background
  TColour ink{};               // an edit's text, a button's caption
  int checked = -1;            // radio options: 1 selected, 0 not
  Bar bar{-1, -1, -1, -1};
};

// A few rows, as the window is specified: the visible panels' corners, each kind of control, and
// the state at the end of start-up. The rest of the table is held to the invariants below.
const Row kSpotRows[] = {
    {"Panel15", "MainForm", 0, 0, 310, 345, nullptr, kFace},
    {"Panel14", "MainForm", 0, 344, 310, 24, nullptr, kSky},
    {"Handy0", "Panel15", 96, 64, 129, 18, "No Handicap", kFace, {}, 1},
    {"Handy_7", "Panel15", 96, 232, 129, 18, "Handicap +MAX", kFace, {}, 0},
    {"K_Comment", "Panel15", 8, 264, 289, 65, "Message from developer：", kHighlight},
    {"Label14", "Panel14", 10, 6, kFitted, kFitted, "COMM"},
    {"CommBox", "Panel14", 96, 3, 209, 18, "OFF"},
    {"READ_BTN", "CMD_PANEL", 43, 2, 43, 24, "", {}, kGreenC},
    {"MON_EDIT", "Panel16", 96, 3, 209, 18, "", kGrey, kBlueC},
    {"OT_OFF", "Panel5", 188, 4, 41, 12, "OFF", {}, {}, 1},
    {"THR_BAR", "Panel11", 124, 2, 125, 16, nullptr, {}, {}, -1, {1, 250, 1, 1}},
    {"YOBI2_BAR", "Panel13", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 100, 0, 2}},
    {"YOUID_EDIT", "Panel2", 108, 6, 117, 29, "0", kYellowC},
    {"MYID_INC", "Panel3", 226, 7, 19, 27, "＋", {}, kRedC},
    {"BUP_5Ah", "Panel1", 188, 4, 37, 12, "5Ah", {}, {}, 1},
    {"HICH_EDIT", "Panel10", 72, 1, 49, 18, "0"},
};

// The text a control shows at the end of start-up.
std::string TextOf(const TControl& c) {
  if (auto* label = dynamic_cast<const TLabel*>(&c)) return label->Text();
  if (auto* edit = dynamic_cast<const TEdit*>(&c)) return edit->Text();
  if (auto* box = dynamic_cast<const TComboBox*>(&c)) return box->SelectedText();
  return c.Def().caption;
}

class LayoutTable : public ::testing::TestWithParam<Row> {
 protected:
  test::TFakeWindow window;
};

TEST_P(LayoutTable, RowMatchesTheWindow) {
  const Row& row = GetParam();
  const TControl* c = window.form().Find(row.name);
  ASSERT_NE(c, nullptr);
  const TControlDef& def = c->Def();
  EXPECT_STREQ(def.parent, row.parent);
  EXPECT_EQ(def.x, row.x);
  EXPECT_EQ(def.y, row.y);
  EXPECT_EQ(def.w, row.w);
  EXPECT_EQ(def.h, row.h);
  if (row.text) {
    EXPECT_EQ(TextOf(*c), row.text);
  }
  if (row.fill.source != TColour::None) {
    EXPECT_EQ(def.colour, row.fill);
  }
  if (row.ink.source != TColour::None) {
    EXPECT_EQ(def.textColour, row.ink);
  }
  if (row.checked >= 0) {
    auto* option = dynamic_cast<const TOption*>(c);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->Checked(), row.checked == 1);
    EXPECT_EQ(window.View(*c).checked, row.checked == 1);
  }
  if (row.bar.min >= 0) {
    auto* bar = dynamic_cast<const TBar*>(c);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Min(), row.bar.min);
    EXPECT_EQ(bar->Max(), row.bar.max);
    EXPECT_EQ(bar->Position(), row.bar.pos);
    EXPECT_EQ(window.View(*c).position, row.bar.pos);
    EXPECT_EQ(bar->Step(), row.bar.step);
  }
}

INSTANTIATE_TEST_SUITE_P(SpotRows, LayoutTable, ::testing::ValuesIn(kSpotRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The row named `name`, or nullptr.
const TControlDef* FindDef(std::string_view name) {
  for (const TControlDef& def : Layout())
    if (name == def.name) return &def;
  return nullptr;
}

const TControlDef* Parent(const TControlDef& def) {
  return std::string_view(def.parent) == "MainForm" ? nullptr : FindDef(def.parent);
}

// A control that takes its size from its caption has no bounds to check.
bool Sized(const TControlDef& def) {
  return def.w != kFitted && def.h != kFitted;
}

// Controls meant to lie under their siblings: the picture and the empty shadow labels behind the
// options and the comment.
bool Backdrop(const TControlDef& def) {
  return def.kind == TControlKind::Picture || def.kind == TControlKind::FilledLabel;
}

TEST(LayoutTableWhole, NamesAreUniqueAndEveryParentAndPartnerResolves) {
  std::set<std::string> names;
  for (const TControlDef& def : Layout()) {
    EXPECT_TRUE(names.insert(def.name).second) << def.name;
    if (std::string_view(def.parent) != "MainForm") {
      EXPECT_TRUE(names.count(def.parent)) << def.name << ": its parent comes first";
      ASSERT_NE(Parent(def), nullptr) << def.name;
      EXPECT_EQ(Parent(def)->kind, TControlKind::Panel) << def.name;
    }
  }
  for (const TControlDef& def : Layout()) {
    if (*def.link == '\0') continue;
    const TControlDef* partner = FindDef(def.link);
    ASSERT_NE(partner, nullptr) << def.name << " -> " << def.link;
    EXPECT_STREQ(partner->parent, def.parent) << def.name;
  }
}

TEST(LayoutTableWhole, EveryTabIndexIsUnique) {
  std::set<std::pair<std::string, int>> seen;  // per parent
  for (const TControlDef& def : Layout()) {
    if (def.tabIndex < 0) continue;
    EXPECT_TRUE(seen.insert({def.parent, def.tabIndex}).second) << def.name << " " << def.tabIndex;
  }
  EXPECT_EQ(seen.size(), 17u);  // the panels
}

TEST(LayoutTableWhole, EveryControlLiesInsideItsParent) {
  for (const TControlDef& def : Layout()) {
    const TControlDef* parent = Parent(def);
    if (!parent || !Sized(def)) continue;
    // The picture is wider than its panel and stretched from 8 pixels left of it: the panel cuts it.
    if (def.kind == TControlKind::Picture) continue;
    EXPECT_GE(def.x, 0) << def.name;
    EXPECT_GE(def.y, 0) << def.name;
    EXPECT_LE(def.x + def.w, parent->w) << def.name;
    EXPECT_LE(def.y + def.h, parent->h) << def.name;
  }
}

// The panels are left out: they stack on the window with their edges overlapping by a few pixels,
// each lying above the one created before it.
TEST(LayoutTableWhole, NoControlsOfOnePanelOverlap) {
  const auto overlap = [](const TControlDef& a, const TControlDef& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
  };
  const std::span<const TControlDef> rows = Layout();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      const TControlDef &a = rows[i], &b = rows[j];
      if (std::string_view(a.parent) != b.parent || !Parent(a) || !Sized(a) || !Sized(b) || Backdrop(a) ||
          Backdrop(b)) {
        continue;
      }
      EXPECT_FALSE(overlap(a, b)) << a.name << " and " << b.name;
    }
  }
}

TEST(LayoutTableWhole, ShadowLabelsShareOneColour) {
  std::set<std::tuple<int, int, int>> shadowColours;
  for (int n = 15; n <= 26; ++n) {
    const TControlDef* def = FindDef("Label" + std::to_string(n));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->kind, TControlKind::FilledLabel);
    shadowColours.insert({def->colour.r, def->colour.g, def->colour.b});
  }
  EXPECT_EQ(shadowColours.size(), 1u);
}

TEST(LayoutTableWhole, PanelsTabOrderAndLooks) {
  const char* order[] = {"Panel14", "CMD_PANEL", "Panel1",  "Panel2",  "Panel3",  "Panel4",
                         "Panel5",  "Panel6",    "Panel7",  "Panel8",  "Panel9",  "Panel10",
                         "Panel11", "Panel12",   "Panel13", "Panel16", "Panel15"};
  for (int i = 0; i < 17; ++i) EXPECT_EQ(FindDef(order[i])->tabIndex, i) << order[i];
  // Visible panels are created last, in this order, so each lies above the one before.
  std::vector<std::string> panels;
  for (const TControlDef& def : Layout()) {
    if (def.kind == TControlKind::Panel) panels.push_back(def.name);
  }
  ASSERT_EQ(panels.size(), 17u);
  EXPECT_EQ(std::vector<std::string>(panels.end() - 4, panels.end()),
            (std::vector<std::string>{"Panel14", "CMD_PANEL", "Panel16", "Panel15"}));
  // Capitals in the information line and the numeric edits, not in the identifiers.
  for (const char* name : {"MON_EDIT", "THR_EDIT", "YOBI2_EDIT", "HICH_EDIT"}) {
    EXPECT_TRUE(FindDef(name)->font.capitals) << name;
  }
  EXPECT_FALSE(FindDef("YOUID_EDIT")->font.capitals);
  EXPECT_EQ(FindDef("YOUID_EDIT")->font.pixels, 21);
  EXPECT_TRUE(FindDef("Label2")->font.bold);  // the identifiers' captions, 21 pixels bold
  EXPECT_EQ(FindDef("Label3")->font.pixels, 21);
  EXPECT_FALSE(FindDef("Label4")->font.bold);
  EXPECT_TRUE(FindDef("MON_EDIT")->Has(kNoTabStop));
  EXPECT_TRUE(FindDef("YOUID_DEC")->Has(kCaptionAtLeft));  // it alone has no margin
  EXPECT_FALSE(FindDef("MYID_DEC")->Has(kCaptionAtLeft));
  // The shadow boxes show 5 pixels right of the options.
  EXPECT_EQ(FindDef("Label15")->x + FindDef("Label15")->w, FindDef("Handy_S")->x + FindDef("Handy_S")->w + 5);
  // Twenty list rows of 12 pixels; the comment's lines 12 pixels apart.
  EXPECT_EQ(FindDef("CommBox")->rowHeight, 12);
  EXPECT_EQ(FindDef("CommBox")->visibleRows, 20);
  EXPECT_EQ(FindDef("K_Comment")->rowHeight, 12);
}

}  // namespace
}  // namespace kx71
