// The window's layout: every control with its name, bounds, look and initial value, in the order of
// creation (a later sibling lies above an earlier one).
#include <QPixmap>
#include <tuple>

#include "ui/artwork.h"
#include "ui/fonts.h"
#include "ui/main_form.h"
#include "ui/static_text.h"

namespace kx71 {
namespace {

constexpr int kHiddenPanelWidth = 300;
const QString kFirstMessageLine = QStringLiteral("Message from developer：");

QFont CapitalsFont() {
  QFont font = UiFont();
  font.setCapitalization(QFont::AllUppercase);
  return font;
}

// A numeric edit of a bar panel: capital letters, text "0".
TEdit* MakeNumberEdit(QWidget* parent, const char* name, int x, int w) {
  TEdit* edit = MakeEdit(parent, name, x, 1, w, 18);
  edit->setFont(CapitalsFont());
  edit->setText(QStringLiteral("0"));
  return edit;
}

void SetColours(QWidget* widget, const QColor& base, const QColor& text) {
  QPalette palette = widget->palette();
  if (base.isValid()) palette.setColor(QPalette::Base, base);
  if (text.isValid()) palette.setColor(QPalette::Text, text);
  widget->setPalette(palette);
}

}  // namespace

void TMainForm::CreateControls() {
  // A hidden panel with its caption label (PanelN's caption is LabelN).
  auto panel = [this](const char* name, int top, int height, const char* caption, bool big = false) {
    QFrame* p = MakePanel(this, name, 0, top, kHiddenPanelWidth, height, FaceColour());
    const QByteArray labelName = QByteArray("Label") + QByteArray(name).mid(5);
    QLabel* label = MakeCaption(p, labelName.constData(), QString::fromUtf8(caption), 4, big ? 9 : 4);
    if (big) {
      label->setFont(UiFont(21, true));
      label->adjustSize();
    }
    return p;
  };
  // A bar with its edit; the edit is left of the bar.
  auto barPair = [](QFrame* p, const char* barName, const char* editName, int barWidth, int min, int max,
                    int editX, int editWidth, TScrollBar*& bar, TEdit*& edit, int step = 1) {
    bar = MakeBar(p, barName, 124, 2, barWidth, 16, min, max, step);
    edit = MakeNumberEdit(p, editName, editX, editWidth);
  };
  auto identifier = [](QFrame* p, const char* prefix, const QColor& colour, TSpeedButton*& dec, TEdit*& edit,
                       TSpeedButton*& inc) {
    const QByteArray n(prefix);
    dec = MakeFlatButton(p, (n + "_DEC").constData(), QStringLiteral("－"), 88, 7, 19, 27,
                         SystemFont(19, true), kBlue);
    edit = MakeEdit(p, (n + "_EDIT").constData(), 108, 6, 117, 29);
    edit->setFont(UiFont(21, true));
    SetColours(edit, colour, QColor());
    edit->setText(QStringLiteral("0"));
    edit->setProperty("Hint", QString::fromLatin1(prefix));  // hints are off: kept, never shown
    inc = MakeFlatButton(p, (n + "_INC").constData(), QStringLiteral("＋"), 226, 7, 19, 27,
                         SystemFont(19, true), kRed);
  };
  auto radioPair = [](QFrame* p, const char* onName, const char* onCaption, int onX, int onWidth,
                      const char* offName, const char* offCaption, int offX, int offWidth, QRadioButton*& on,
                      QRadioButton*& off) {
    on = MakeOption(p, onName, QString::fromLatin1(onCaption), onX, 4, onWidth, 12);
    off = MakeOption(p, offName, QString::fromLatin1(offCaption), offX, 4, offWidth, 12);
  };

  // Hidden panels: the working copy of the settings block.
  Panel5 = panel("Panel5", 416, 25, "OVERTAKE");
  radioPair(Panel5, "OT_ON", "ON", 124, 37, "OT_OFF", "OFF", 188, 41, OT_ON, OT_OFF);
  Panel11 = panel("Panel11", 440, 24, "OT MAX (回）");
  barPair(Panel11, "THR_BAR", "THR_EDIT", 125, kMinCount, kMaxCount, 80, 41, THR_BAR, THR_EDIT);
  Panel12 = panel("Panel12", 464, 20, "OT TIME (秒)");
  barPair(Panel12, "YOBI1_BAR", "YOBI1_EDIT", 121, kMinCount, kMaxCount, 80, 41, YOBI1_BAR, YOBI1_EDIT);
  Panel13 = panel("Panel13", 484, 20, "MAXPWR （%)");
  barPair(Panel13, "YOBI2_BAR", "YOBI2_EDIT", 121, kMinPower, kMaxPower, 80, 41, YOBI2_BAR, YOBI2_EDIT, 2);
  Panel2 = panel("Panel2", 504, 40, "YOURID", true);
  identifier(Panel2, "YOUID", kYellow, YOUID_DEC, YOUID_EDIT, YOUID_INC);
  Panel3 = panel("Panel3", 544, 40, "MYID", true);
  identifier(Panel3, "MYID", kLime, MYID_DEC, MYID_EDIT, MYID_INC);
  YOUID_DEC->SetCaptionAtLeftEdge(true);  // it alone has no margin
  Panel4 = panel("Panel4", 584, 25, "MASTERF");
  radioPair(Panel4, "MAS_ON", "ON", 124, 37, "MAS_OFF", "OFF", 188, 41, MAS_ON, MAS_OFF);
  Panel6 = panel("Panel6", 608, 20, "LASTCH");
  barPair(Panel6, "LAST_BAR", "LAST_EDIT", 121, 0, 255, 72, 49, LAST_BAR, LAST_EDIT);
  Panel7 = panel("Panel7", 628, 20, "MODE");
  barPair(Panel7, "MODE_BAR", "MODE_EDIT", 121, 0, 255, 72, 49, MODE_BAR, MODE_EDIT);
  Panel8 = panel("Panel8", 648, 20, "LOW CH");
  barPair(Panel8, "UA_BAR", "UA_EDIT", 121, 0, 255, 72, 49, UA_BAR, UA_EDIT);
  Panel9 = panel("Panel9", 668, 20, "HIGH CH");
  barPair(Panel9, "LOW_BAR", "LOW_EDIT", 121, 0, 255, 72, 49, LOW_BAR, LOW_EDIT);
  Panel1 = panel("Panel1", 684, 20, "BUP");
  radioPair(Panel1, "BUP_5Ah", "5Ah", 188, 37, "BUP_00h", "00h", 120, 41, BUP_5Ah, BUP_00h);
  Panel10 = panel("Panel10", 704, 20, "ST ADJ");
  barPair(Panel10, "HICH_BAR", "HICH_EDIT", 121, 0, 255, 72, 49, HICH_BAR, HICH_EDIT);
  OT_OFF->setChecked(true);
  MAS_OFF->setChecked(true);
  BUP_5Ah->setChecked(true);
  for (QFrame* p : {Panel5, Panel11, Panel12, Panel13, Panel2, Panel3, Panel4, Panel6, Panel7, Panel8, Panel9,
                    Panel1, Panel10}) {
    SetPanelShown(p, false);
  }

  // The port selector.
  Panel14 = MakePanel(this, "Panel14", 0, 344, 310, 24, kSkyBlue);
  Label14 = MakeCaption(Panel14, "Label14", QStringLiteral("COMM"), 10, 6);
  CommBox = new TCommBox(Panel14);
  CommBox->setObjectName(QStringLiteral("CommBox"));
  CommBox->setGeometry(96, 3, 209, 18);

  // The command buttons.
  CMD_PANEL = MakePanel(this, "CMD_PANEL", 0, 367, 310, 28, kSkyBlue);
  PROGRAM_BTN = MakePictureButton(CMD_PANEL, "PROGRAM_BTN", QStringLiteral(":/kx71/write.png"), 2, 2, 40, 24,
                                  kBlue, QStringLiteral("Write to the unit"),
                                  QStringLiteral("Writes the chosen level and the settings to the unit"));
  READ_BTN = MakePictureButton(CMD_PANEL, "READ_BTN", QStringLiteral(":/kx71/read.png"), 43, 2, 43, 24,
                               kGreen, QStringLiteral("Read from the unit"),
                               QStringLiteral("Reads the settings from the unit and selects their level"));
  EXIT_BTN =
      MakePictureButton(CMD_PANEL, "EXIT_BTN", QStringLiteral(":/kx71/exit.png"), 264, 2, 41, 24, kRed,
                        QStringLiteral("Exit"), QStringLiteral("Closes the window and ends the program"));

  // The information line.
  Panel16 = MakePanel(this, "Panel16", 0, 392, 310, 24, kSkyBlue);
  Label27 = MakeCaption(Panel16, "Label27", QStringLiteral("Infomation"), 10, 6);
  MON_EDIT = MakeEdit(Panel16, "MON_EDIT", 96, 3, 209, 18);
  MON_EDIT->setFont(CapitalsFont());
  SetColours(MON_EDIT, kMediumGrey, kBlue);
  MON_EDIT->setFocusPolicy(Qt::ClickFocus);  // skipped by Tab, still focused by a click

  // The picture with the level options and the comment box.
  Panel15 = MakePanel(this, "Panel15", 0, 0, 310, 345, FaceColour());
  Image1 = new QLabel(Panel15);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(-8, 0, 321, 345);
  Image1->setScaledContents(true);
  Image1->setPixmap(DecorativePicture());  // already stretched to the label's size
  struct Box {
    QLabel*& label;
    const char* name;
    int x, y, w, h;
  };
  const Box boxes[] = {
      {Label15, "Label15", 101, 20, 129, 17},  {Label16, "Label16", 101, 44, 129, 17},
      {Label17, "Label17", 80, 64, 4, 12},     {Label18, "Label18", 101, 65, 129, 20},
      {Label19, "Label19", 101, 92, 129, 17},  {Label20, "Label20", 101, 116, 129, 17},
      {Label21, "Label21", 101, 140, 129, 17}, {Label22, "Label22", 101, 164, 129, 17},
      {Label23, "Label23", 101, 188, 129, 17}, {Label24, "Label24", 101, 212, 129, 17},
      {Label25, "Label25", 101, 236, 129, 17}, {Label26, "Label26", 16, 270, 289, 67},
  };
  for (const Box& b : boxes) b.label = MakeFilledLabel(Panel15, b.name, b.x, b.y, b.w, b.h, kShadow);
  for (const LevelInfo& level : Levels()) {
    const int i = static_cast<int>(level.level);
    levelOptions_[i] =
        MakeOption(Panel15, level.name, QString::fromUtf8(level.caption), 96, 16 + 24 * i, 129, 18);
  }
  std::tie(Handy_S, Handy_M, Handy0, Handy1, Handy2, Handy3, Handy4, Handy5, Handy6, Handy_7) =
      std::tuple_cat(levelOptions_);
  Handy0->setChecked(true);  // selected by the layout: no click handler runs
  K_Comment = new TStaticText(Panel15, kUiFontPixels);  // 12-pixel lines, whatever face stands in
  K_Comment->setObjectName(QStringLiteral("K_Comment"));
  K_Comment->setGeometry(8, 264, 289, 65);
  K_Comment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  K_Comment->setLineWidth(1);
  K_Comment->setTextFormat(Qt::PlainText);
  K_Comment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  K_Comment->setWordWrap(true);  // text beyond the fixed height is cut off
  QPalette commentPalette = K_Comment->palette();
  commentPalette.setColor(QPalette::Window, HighlightColour());
  K_Comment->setPalette(commentPalette);
  K_Comment->setAutoFillBackground(true);
  K_Comment->setText(kFirstMessageLine);
}

}  // namespace kx71
