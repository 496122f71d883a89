// The layout table against the window as specified: bounds, parents, colours, captions and the
// state each control has at the end of start-up, the shadow labels and the panels' tab order.
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

const Row kLayout[] = {
    // Visible panels.
    {"Panel15", "MainForm", 0, 0, 310, 345, nullptr, kFace},
    {"Panel14", "MainForm", 0, 344, 310, 24, nullptr, kSky},
    {"CMD_PANEL", "MainForm", 0, 367, 310, 28, nullptr, kSky},
    {"Panel16", "MainForm", 0, 392, 310, 24, nullptr, kSky},
    {"Image1", "Panel15", -8, 0, 321, 345},
    {"Label15", "Panel15", 101, 20, 129, 17},
    {"Label16", "Panel15", 101, 44, 129, 17},
    {"Label17", "Panel15", 80, 64, 4, 12},
    {"Label18", "Panel15", 101, 65, 129, 20},
    {"Label19", "Panel15", 101, 92, 129, 17},
    {"Label20", "Panel15", 101, 116, 129, 17},
    {"Label21", "Panel15", 101, 140, 129, 17},
    {"Label22", "Panel15", 101, 164, 129, 17},
    {"Label23", "Panel15", 101, 188, 129, 17},
    {"Label24", "Panel15", 101, 212, 129, 17},
    {"Label25", "Panel15", 101, 236, 129, 17},
    {"Label26", "Panel15", 16, 270, 289, 67},
    {"Handy_S", "Panel15", 96, 16, 129, 18, "Vantor Legend", kFace, {}, 0},
    {"Handy_M", "Panel15", 96, 40, 129, 18, "Vantor Champ", kFace, {}, 0},
    {"Handy0", "Panel15", 96, 64, 129, 18, "No Handicap", kFace, {}, 1},
    {"Handy1", "Panel15", 96, 88, 129, 18, "Handicap +1", kFace, {}, 0},
    {"Handy2", "Panel15", 96, 112, 129, 18, "Handicap +2", kFace, {}, 0},
    {"Handy3", "Panel15", 96, 136, 129, 18, "Handicap +3", kFace, {}, 0},
    {"Handy4", "Panel15", 96, 160, 129, 18, "Handicap +4", kFace, {}, 0},
    {"Handy5", "Panel15", 96, 184, 129, 18, "Handicap +5", kFace, {}, 0},
    {"Handy6", "Panel15", 96, 208, 129, 18, "Handicap +6", kFace, {}, 0},
    {"Handy_7", "Panel15", 96, 232, 129, 18, "Handicap +MAX", kFace, {}, 0},
    {"K_Comment", "Panel15", 8, 264, 289, 65, "Message from developer：", kHighlight},
    {"Label14", "Panel14", 10, 6, kFitted, kFitted, "COMM"},
    {"CommBox", "Panel14", 96, 3, 209, 18, "OFF"},
    {"PROGRAM_BTN", "CMD_PANEL", 2, 2, 40, 24, "", {}, kBlueC},
    {"READ_BTN", "CMD_PANEL", 43, 2, 43, 24, "", {}, kGreenC},
    {"EXIT_BTN", "CMD_PANEL", 264, 2, 41, 24, "", {}, kRedC},
    {"Label27", "Panel16", 10, 6, kFitted, kFitted, "Infomation"},
    {"MON_EDIT", "Panel16", 96, 3, 209, 18, "", kGrey, kBlueC},
    // Hidden panels and their editors.
    {"Panel5", "MainForm", 0, 416, 300, 25},
    {"Label5", "Panel5", 4, 4, kFitted, kFitted, "OVERTAKE"},
    {"OT_ON", "Panel5", 124, 4, 37, 12, "ON", {}, {}, 0},
    {"OT_OFF", "Panel5", 188, 4, 41, 12, "OFF", {}, {}, 1},
    {"Panel11", "MainForm", 0, 440, 300, 24},
    {"Label11", "Panel11", 4, 4, kFitted, kFitted, "OT MAX (回）"},
    {"THR_BAR", "Panel11", 124, 2, 125, 16, nullptr, {}, {}, -1, {1, 250, 1, 1}},
    {"THR_EDIT", "Panel11", 80, 1, 41, 18, "1"},
    {"Panel12", "MainForm", 0, 464, 300, 20},
    {"Label12", "Panel12", 4, 4, kFitted, kFitted, "OT TIME (秒)"},
    {"YOBI1_BAR", "Panel12", 124, 2, 121, 16, nullptr, {}, {}, -1, {1, 250, 1, 1}},
    {"YOBI1_EDIT", "Panel12", 80, 1, 41, 18, "1"},
    {"Panel13", "MainForm", 0, 484, 300, 20},
    {"Label13", "Panel13", 4, 4, kFitted, kFitted, "MAXPWR （%)"},
    {"YOBI2_BAR", "Panel13", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 100, 0, 2}},
    {"YOBI2_EDIT", "Panel13", 80, 1, 41, 18, "0"},
    {"Panel2", "MainForm", 0, 504, 300, 40},
    {"Label2", "Panel2", 4, 9, kFitted, kFitted, "YOURID"},
    {"YOUID_DEC", "Panel2", 88, 7, 19, 27, "－", {}, kBlueC},
    {"YOUID_EDIT", "Panel2", 108, 6, 117, 29, "0", kYellowC},
    {"YOUID_INC", "Panel2", 226, 7, 19, 27, "＋", {}, kRedC},
    {"Panel3", "MainForm", 0, 544, 300, 40},
    {"Label3", "Panel3", 4, 9, kFitted, kFitted, "MYID"},
    {"MYID_DEC", "Panel3", 88, 7, 19, 27, "－", {}, kBlueC},
    {"MYID_EDIT", "Panel3", 108, 6, 117, 29, "0", kLimeC},
    {"MYID_INC", "Panel3", 226, 7, 19, 27, "＋", {}, kRedC},
    {"Panel4", "MainForm", 0, 584, 300, 25},
    {"Label4", "Panel4", 4, 4, kFitted, kFitted, "MASTERF"},
    {"MAS_ON", "Panel4", 124, 4, 37, 12, "ON", {}, {}, 0},
    {"MAS_OFF", "Panel4", 188, 4, 41, 12, "OFF", {}, {}, 1},
    {"Panel6", "MainForm", 0, 608, 300, 20},
    {"Label6", "Panel6", 4, 4, kFitted, kFitted, "LASTCH"},
    {"LAST_BAR", "Panel6", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"LAST_EDIT", "Panel6", 72, 1, 49, 18, "0"},
    {"Panel7", "MainForm", 0, 628, 300, 20},
    {"Label7", "Panel7", 4, 4, kFitted, kFitted, "MODE"},
    {"MODE_BAR", "Panel7", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"MODE_EDIT", "Panel7", 72, 1, 49, 18, "0"},
    {"Panel8", "MainForm", 0, 648, 300, 20},
    {"Label8", "Panel8", 4, 4, kFitted, kFitted, "LOW CH"},
    {"UA_BAR", "Panel8", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"UA_EDIT", "Panel8", 72, 1, 49, 18, "0"},
    {"Panel9", "MainForm", 0, 668, 300, 20},
    {"Label9", "Panel9", 4, 4, kFitted, kFitted, "HIGH CH"},
    {"LOW_BAR", "Panel9", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"LOW_EDIT", "Panel9", 72, 1, 49, 18, "0"},
    {"Panel1", "MainForm", 0, 684, 300, 20},
    {"Label1", "Panel1", 4, 4, kFitted, kFitted, "BUP"},
    {"BUP_00h", "Panel1", 120, 4, 41, 12, "00h", {}, {}, 0},
    {"BUP_5Ah", "Panel1", 188, 4, 37, 12, "5Ah", {}, {}, 1},
    {"Panel10", "MainForm", 0, 704, 300, 20},
    {"Label10", "Panel10", 4, 4, kFitted, kFitted, "ST ADJ"},
    {"HICH_BAR", "Panel10", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
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

INSTANTIATE_TEST_SUITE_P(EveryControl, LayoutTable, ::testing::ValuesIn(kLayout),
                         [](const auto& info) { return std::string(info.param.name); });

// The row named `name`, or nullptr.
const TControlDef* FindDef(std::string_view name) {
  for (const TControlDef& def : Layout())
    if (name == def.name) return &def;
  return nullptr;
}

TEST(LayoutTableWhole, EveryControlIsARowAndTheShadowLabelsShareOneColour) {
  std::set<std::string> names, expected;
  for (const Row& row : kLayout) expected.insert(row.name);
  for (const TControlDef& def : Layout()) {
    EXPECT_TRUE(names.insert(def.name).second) << def.name;
    EXPECT_TRUE(expected.count(def.name)) << def.name;
    if (std::string(def.parent) != "MainForm") {
      EXPECT_TRUE(names.count(def.parent)) << def.name;  // a parent comes before its children
    }
  }
  EXPECT_EQ(names.size(), expected.size());
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
