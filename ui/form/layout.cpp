#include "ui/form/layout.h"

#include <array>

namespace kx71 {
namespace {

using K = TControlKind;
constexpr int kHiddenWidth = 300;
constexpr TFontSpec kCapitals{TFontSpec::Window, 0, false, true};
constexpr TFontSpec kBold{TFontSpec::Window, 0, true};
constexpr TFontSpec kBig{TFontSpec::Ui, 21, true};
constexpr TFontSpec kSpin{TFontSpec::System, 19, true};

constexpr TControlDef Panel(const char* name, int y, int h, int tab, TColour colour = kFaceColour,
                            std::uint8_t flags = kHidden, int w = kHiddenWidth) {
  return {name, K::Panel, "MainForm", 0, y, w, h, "", colour, {}, {}, tab, 0, 0, 0, 0, "", flags};
}
constexpr TControlDef Caption(const char* name, const char* parent, const char* text, int x, int y,
                              TFontSpec font = {}) {
  return {name, K::Caption, parent, x, y, kFitted, kFitted, text, {}, {}, font};
}
constexpr TControlDef Option(const char* name, const char* parent, const char* caption, int x, int y, int w,
                             int h, std::uint8_t flags = 0) {
  return {name, K::Option, parent, x, y, w, h, caption, kFaceColour, {}, {}, -1, 0, 0, 0, 0, "", flags};
}
constexpr TControlDef Bar(const char* name, const char* parent, int w, int min, int max, int position,
                          const char* edit, int step = 1) {
  return {name, K::Bar, parent, 124, 2, w, 16, "", {}, {}, {}, -1, min, max, position, step, edit};
}
constexpr TControlDef NumberEdit(const char* name, const char* parent, int x, int w, const char* bar) {
  return {name, K::Edit, parent, x, 1, w, 18, "0", {}, {}, kCapitals, -1, 0, 0, 0, 0, bar};
}
constexpr TControlDef Spin(const char* name, const char* parent, const char* caption, int x, TColour ink,
                           const char* edit, std::uint8_t flags = 0) {
  return {name, K::FlatButton, parent, x, 7, 19, 27, caption, {}, ink, kSpin, -1, 0, 0, 0, 0, edit, flags};
}
constexpr TControlDef IdEdit(const char* name, const char* parent, TColour colour) {
  return {name, K::Edit, parent, 108, 6, 117, 29, "0", colour, {}, kBig};
}
constexpr TControlDef Filled(const char* name, int x, int y, int w, int h) {
  return {name, K::FilledLabel, "Panel15", x, y, w, h, "", kShadow};
}
constexpr TControlDef PictureButton(const char* name, const char* resource, int x, int w, TColour ink,
                                    const char* accessible, const char* description) {
  return {name, K::PictureButton, "CMD_PANEL", x, 2, w, 24, "", {}, ink, kBold, -1, 0, 0, 0, 0, "", 0,
          resource, accessible, description};
}
constexpr TControlDef List(const char* name, const char* parent, int x, int y, int w, int h, int rowHeight,
                           int visibleRows) {
  return {name, K::ComboBox, parent, x, y, w, h, "", {}, {}, {}, -1, 0, 0, 0, 0, "", 0, "", "", "",
          rowHeight, visibleRows};
}
constexpr TControlDef Comment(const char* name, const char* parent, int x, int y, int w, int h, const char* text,
                              int lineHeight) {
  return {name, K::StaticText, parent, x, y, w, h, text, kHighlightColour, {}, {}, -1, 0, 0, 0, 0, "", 0, "", "", "",
          lineHeight};
}
constexpr TControlDef Level(const char* name, const char* caption, int index, std::uint8_t flags = 0) {
  return Option(name, "Panel15", caption, 96, 16 + 24 * index, 129, 18, flags);
}

constexpr std::array kLayout{
    // Hidden panels: the working copy of the settings block.
    Panel("Panel5", 416, 25, 6),
    Caption("Label5", "Panel5", "OVERTAKE", 4, 4),
    Option("OT_ON", "Panel5", "ON", 124, 4, 37, 12),
    Option("OT_OFF", "Panel5", "OFF", 188, 4, 41, 12, kChecked),
    Panel("Panel11", 440, 24, 12),
    Caption("Label11", "Panel11", "OT MAX (回）", 4, 4),
    Bar("THR_BAR", "Panel11", 125, 1, 250, 1, "THR_EDIT"),
    NumberEdit("THR_EDIT", "Panel11", 80, 41, "THR_BAR"),
    Panel("Panel12", 464, 20, 13),
    Caption("Label12", "Panel12", "OT TIME (秒)", 4, 4),
    Bar("YOBI1_BAR", "Panel12", 121, 1, 250, 1, "YOBI1_EDIT"),
    NumberEdit("YOBI1_EDIT", "Panel12", 80, 41, "YOBI1_BAR"),
    Panel("Panel13", 484, 20, 14),
    Caption("Label13", "Panel13", "MAXPWR （%)", 4, 4),
    Bar("YOBI2_BAR", "Panel13", 121, 0, 100, 0, "YOBI2_EDIT", 2),
    NumberEdit("YOBI2_EDIT", "Panel13", 80, 41, "YOBI2_BAR"),
    Panel("Panel2", 504, 40, 3),
    Caption("Label2", "Panel2", "YOURID", 4, 9, kBig),
    Spin("YOUID_DEC", "Panel2", "－", 88, kBlue, "YOUID_EDIT", kCaptionAtLeft),
    IdEdit("YOUID_EDIT", "Panel2", kYellow),
    Spin("YOUID_INC", "Panel2", "＋", 226, kRed, "YOUID_EDIT"),
    Panel("Panel3", 544, 40, 4),
    Caption("Label3", "Panel3", "MYID", 4, 9, kBig),
    Spin("MYID_DEC", "Panel3", "－", 88, kBlue, "MYID_EDIT"),
    IdEdit("MYID_EDIT", "Panel3", kLime),
    Spin("MYID_INC", "Panel3", "＋", 226, kRed, "MYID_EDIT"),
    Panel("Panel4", 584, 25, 5),
    Caption("Label4", "Panel4", "MASTERF", 4, 4),
    Option("MAS_ON", "Panel4", "ON", 124, 4, 37, 12),
    Option("MAS_OFF", "Panel4", "OFF", 188, 4, 41, 12, kChecked),
    Panel("Panel6", 608, 20, 7),
    Caption("Label6", "Panel6", "LASTCH", 4, 4),
    Bar("LAST_BAR", "Panel6", 121, 0, 255, 0, "LAST_EDIT"),
    NumberEdit("LAST_EDIT", "Panel6", 72, 49, "LAST_BAR"),
    Panel("Panel7", 628, 20, 8),
    Caption("Label7", "Panel7", "MODE", 4, 4),
    Bar("MODE_BAR", "Panel7", 121, 0, 255, 0, "MODE_EDIT"),
    NumberEdit("MODE_EDIT", "Panel7", 72, 49, "MODE_BAR"),
    Panel("Panel8", 648, 20, 9),
    Caption("Label8", "Panel8", "LOW CH", 4, 4),
    Bar("UA_BAR", "Panel8", 121, 0, 255, 0, "UA_EDIT"),
    NumberEdit("UA_EDIT", "Panel8", 72, 49, "UA_BAR"),
    Panel("Panel9", 668, 20, 10),
    Caption("Label9", "Panel9", "HIGH CH", 4, 4),
    Bar("LOW_BAR", "Panel9", 121, 0, 255, 0, "LOW_EDIT"),
    NumberEdit("LOW_EDIT", "Panel9", 72, 49, "LOW_BAR"),
    Panel("Panel1", 684, 20, 2),
    Caption("Label1", "Panel1", "BUP", 4, 4),
    Option("BUP_5Ah", "Panel1", "5Ah", 188, 4, 37, 12, kChecked),
    Option("BUP_00h", "Panel1", "00h", 120, 4, 41, 12),
    Panel("Panel10", 704, 20, 11),
    Caption("Label10", "Panel10", "ST ADJ", 4, 4),
    Bar("HICH_BAR", "Panel10", 121, 0, 255, 0, "HICH_EDIT"),
    NumberEdit("HICH_EDIT", "Panel10", 72, 49, "HICH_BAR"),

    // The port selector.
    Panel("Panel14", 344, 24, 0, kSkyBlue, 0, 310),
    Caption("Label14", "Panel14", "COMM", 10, 6),
    List("CommBox", "Panel14", 96, 3, 209, 18, 12, 20),

    // The command buttons.
    Panel("CMD_PANEL", 367, 28, 1, kSkyBlue, 0, 310),
    PictureButton("PROGRAM_BTN", "write.png", 2, 40, kBlue, "Write to the unit",
                  "Writes the chosen level and the settings to the unit"),
    PictureButton("READ_BTN", "read.png", 43, 43, kGreen, "Read from the unit",
                  "Reads the settings from the unit and selects their level"),
    PictureButton("EXIT_BTN", "exit.png", 264, 41, kRed, "Exit", "Closes the window and ends the program"),

    // The information line.
    Panel("Panel16", 392, 24, 15, kSkyBlue, 0, 310),
    Caption("Label27", "Panel16", "Infomation", 10, 6),
    TControlDef{"MON_EDIT", K::Edit, "Panel16", 96, 3, 209, 18, "", kMediumGrey, kBlue, kCapitals, -1, 0, 0, 0,
                0, "", kNoTabStop},

    // The picture with the level options and the comment box.
    Panel("Panel15", 0, 345, 16, kFaceColour, 0, 310),
    TControlDef{"Image1", K::Picture, "Panel15", -8, 0, 321, 345, "", {}, {}, {}, -1, 0, 0, 0, 0, "", 0,
                "decor.bmp"},
    Filled("Label15", 101, 20, 129, 17),
    Filled("Label16", 101, 44, 129, 17),
    Filled("Label17", 80, 64, 4, 12),
    Filled("Label18", 101, 65, 129, 20),
    Filled("Label19", 101, 92, 129, 17),
    Filled("Label20", 101, 116, 129, 17),
    Filled("Label21", 101, 140, 129, 17),
    Filled("Label22", 101, 164, 129, 17),
    Filled("Label23", 101, 188, 129, 17),
    Filled("Label24", 101, 212, 129, 17),
    Filled("Label25", 101, 236, 129, 17),
    Filled("Label26", 16, 270, 289, 67),
    Level("Handy_S", "Vantor Legend", 0),
    Level("Handy_M", "Vantor Champ", 1),
    Level("Handy0", "No Handicap", 2, kChecked),
    Level("Handy1", "Handicap +1", 3),
    Level("Handy2", "Handicap +2", 4),
    Level("Handy3", "Handicap +3", 5),
    Level("Handy4", "Handicap +4", 6),
    Level("Handy5", "Handicap +5", 7),
    Level("Handy6", "Handicap +6", 8),
    Level("Handy_7", "Handicap +MAX", 9),
    // Lines 12 pixels apart whatever face stands in, so that all lines of every level's message show.
    Comment("K_Comment", "Panel15", 8, 264, 289, 65, "Message from developer：", 12),
};

}  // namespace

std::span<const TControlDef> Layout() {
  return kLayout;
}

}  // namespace kx71
