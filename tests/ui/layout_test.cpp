// The window's controls against the layout: bounds, parents, colours, captions and initial values
// by objectName, the stacking of the panels, the window itself, fonts and the Tab order.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <set>

#include "protocol/settings_block.h"
#include "ui/main_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

// The system colours are known only once the application exists: these stand for them in the table.
const QColor kFace{1, 2, 3}, kHighlight{3, 2, 1};

QColor Resolved(const QColor& c) {
  if (c == kFace) return QApplication::palette().color(QPalette::Button);
  if (c == kHighlight) return QApplication::palette().color(QPalette::Light);
  return c;
}
const QColor kSky{166, 202, 240}, kGrey{160, 160, 164}, kYellowC{255, 255, 0}, kLimeC{0, 255, 0};
const QColor kBlueC{0, 0, 255}, kGreenC{0, 128, 0}, kRedC{255, 0, 0};
constexpr int kFitted = -1;  // a caption label sized to its text

struct Bar {
  int min, max, pos, step;
};

struct Row {
  const char* name;
  const char* parent;
  int x, y, w, h;
  const char* text = nullptr;  // caption or edit text
  QColor fill{};               // opaque background (Window), or an edit's Base
  QColor ink{};                // an edit's Text, a button's ButtonText
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
    {"OT_ON", "Panel5", 124, 4, 37, 12, "ON", {}, {}, 0},
    {"OT_OFF", "Panel5", 188, 4, 41, 12, "OFF", {}, {}, 1},
    {"Panel11", "MainForm", 0, 440, 300, 24},
    {"THR_BAR", "Panel11", 124, 2, 125, 16, nullptr, {}, {}, -1, {1, 250, 1, 1}},
    {"THR_EDIT", "Panel11", 80, 1, 41, 18, "1"},
    {"Panel12", "MainForm", 0, 464, 300, 20},
    {"YOBI1_BAR", "Panel12", 124, 2, 121, 16, nullptr, {}, {}, -1, {1, 250, 1, 1}},
    {"YOBI1_EDIT", "Panel12", 80, 1, 41, 18, "1"},
    {"Panel13", "MainForm", 0, 484, 300, 20},
    {"YOBI2_BAR", "Panel13", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 100, 0, 2}},
    {"YOBI2_EDIT", "Panel13", 80, 1, 41, 18, "0"},
    {"Panel2", "MainForm", 0, 504, 300, 40},
    {"YOUID_DEC", "Panel2", 88, 7, 19, 27, "－", {}, kBlueC},
    {"YOUID_EDIT", "Panel2", 108, 6, 117, 29, "0", kYellowC},
    {"YOUID_INC", "Panel2", 226, 7, 19, 27, "＋", {}, kRedC},
    {"Panel3", "MainForm", 0, 544, 300, 40},
    {"MYID_DEC", "Panel3", 88, 7, 19, 27, "－", {}, kBlueC},
    {"MYID_EDIT", "Panel3", 108, 6, 117, 29, "0", kLimeC},
    {"MYID_INC", "Panel3", 226, 7, 19, 27, "＋", {}, kRedC},
    {"Panel4", "MainForm", 0, 584, 300, 25},
    {"MAS_ON", "Panel4", 124, 4, 37, 12, "ON", {}, {}, 0},
    {"MAS_OFF", "Panel4", 188, 4, 41, 12, "OFF", {}, {}, 1},
    {"Panel6", "MainForm", 0, 608, 300, 20},
    {"LAST_BAR", "Panel6", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"LAST_EDIT", "Panel6", 72, 1, 49, 18, "0"},
    {"Panel7", "MainForm", 0, 628, 300, 20},
    {"MODE_BAR", "Panel7", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"MODE_EDIT", "Panel7", 72, 1, 49, 18, "0"},
    {"Panel8", "MainForm", 0, 648, 300, 20},
    {"UA_BAR", "Panel8", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"UA_EDIT", "Panel8", 72, 1, 49, 18, "0"},
    {"Panel9", "MainForm", 0, 668, 300, 20},
    {"LOW_BAR", "Panel9", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"LOW_EDIT", "Panel9", 72, 1, 49, 18, "0"},
    {"Panel1", "MainForm", 0, 684, 300, 20},
    {"BUP_00h", "Panel1", 120, 4, 41, 12, "00h", {}, {}, 0},
    {"BUP_5Ah", "Panel1", 188, 4, 37, 12, "5Ah", {}, {}, 1},
    {"Panel10", "MainForm", 0, 704, 300, 20},
    {"HICH_BAR", "Panel10", 124, 2, 121, 16, nullptr, {}, {}, -1, {0, 255, 0, 1}},
    {"HICH_EDIT", "Panel10", 72, 1, 49, 18, "0"},
};

QString TextOf(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  return QStringLiteral("<no text>");
}

TEST(Layout, EveryControlMatchesTheTable) {
  TMainForm form;
  std::set<QString> seen;
  for (const Row& row : kLayout) {
    SCOPED_TRACE(row.name);
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(seen.insert(w->objectName()).second);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
    if (row.w == kFitted) {
      EXPECT_EQ(w->pos(), QPoint(row.x, row.y));
      EXPECT_EQ(w->size(), w->sizeHint());
    } else {
      EXPECT_EQ(w->geometry(), QRect(row.x, row.y, row.w, row.h));
    }
    if (row.text) {
      EXPECT_EQ(TextOf(w), QString::fromUtf8(row.text));
    }
    if (row.fill.isValid()) {
      if (qobject_cast<QLineEdit*>(w)) {
        EXPECT_EQ(w->palette().color(QPalette::Base), Resolved(row.fill));
      } else {
        EXPECT_TRUE(w->autoFillBackground());
        EXPECT_EQ(w->palette().color(QPalette::Window), Resolved(row.fill));
      }
    }
    if (row.ink.isValid()) {
      const auto role = qobject_cast<QLineEdit*>(w) ? QPalette::Text : QPalette::ButtonText;
      EXPECT_EQ(w->palette().color(role), row.ink);
    }
    if (row.checked >= 0) {
      auto* option = qobject_cast<QRadioButton*>(w);
      ASSERT_NE(option, nullptr);
      EXPECT_EQ(option->isChecked(), row.checked == 1);
    }
    if (row.bar.min >= 0) {
      auto* bar = qobject_cast<QScrollBar*>(w);
      ASSERT_NE(bar, nullptr);
      EXPECT_EQ(bar->orientation(), Qt::Horizontal);
      EXPECT_EQ(bar->minimum(), row.bar.min);
      EXPECT_EQ(bar->maximum(), row.bar.max);
      EXPECT_EQ(bar->value(), row.bar.pos);
      EXPECT_EQ(bar->singleStep(), row.bar.step);
      EXPECT_EQ(bar->pageStep(), row.bar.step);
      EXPECT_FALSE(bar->invertedControls());
    }
  }

  // The twelve empty labels share one fill colour.
  std::set<QRgb> shadowColours;
  for (int n = 15; n <= 26; ++n) {
    auto* label = form.findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_TRUE(label->text().isEmpty());
    shadowColours.insert(label->palette().color(QPalette::Window).rgb());
  }
  EXPECT_EQ(shadowColours.size(), 1u);

  // Each hidden panel's caption.
  const std::pair<const char*, const char*> captions[] = {
      {"Panel5", "OVERTAKE"},     {"Panel11", "OT MAX (回）"}, {"Panel12", "OT TIME (秒)"},
      {"Panel13", "MAXPWR （%)"}, {"Panel2", "YOURID"},        {"Panel3", "MYID"},
      {"Panel4", "MASTERF"},      {"Panel6", "LASTCH"},        {"Panel7", "MODE"},
      {"Panel8", "LOW CH"},       {"Panel9", "HIGH CH"},       {"Panel1", "BUP"},
      {"Panel10", "ST ADJ"}};
  for (const auto& [panelName, caption] : captions) {
    SCOPED_TRACE(panelName);
    auto* panel = form.findChild<QFrame*>(QString::fromLatin1(panelName));
    ASSERT_NE(panel, nullptr);
    auto* label = panel->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8(caption));
    const bool big = panel == form.Panel2 || panel == form.Panel3;
    EXPECT_EQ(label->pos(), QPoint(4, big ? 9 : 4));
    EXPECT_EQ(label->font().bold(), big);
    EXPECT_FALSE(panel->isVisibleTo(&form));
    EXPECT_FALSE(panel->isEnabled());
  }
}

TEST(Layout, PanelsStackInCreationOrderWithBevels) {
  TMainForm form;
  QStringList order;
  for (QObject* child : form.children()) {
    if (auto* frame = qobject_cast<QFrame*>(child)) {
      order << frame->objectName();
      EXPECT_EQ(frame->frameStyle(), QFrame::Panel | QFrame::Raised) << frame->objectName().toStdString();
      EXPECT_EQ(frame->lineWidth(), 1);
    }
  }
  ASSERT_GE(order.size(), 4);
  EXPECT_EQ(order.mid(order.size() - 4), (QStringList{"Panel14", "CMD_PANEL", "Panel16", "Panel15"}));
  EXPECT_EQ(order.size(), 17);
  // On the picture: the picture lowest, then the shadow labels, the options, the comment on top.
  const QObjectList onPicture = form.Panel15->children();
  EXPECT_EQ(onPicture.indexOf(form.Image1), 0);
  EXPECT_LT(onPicture.indexOf(form.Label25), onPicture.indexOf(form.Handy_S));
  EXPECT_LT(onPicture.indexOf(form.Label26), onPicture.indexOf(form.K_Comment));
  // The shadow boxes show 5 pixels right of the options.
  EXPECT_EQ(form.Label15->geometry().right(), form.Handy_S->geometry().right() + 5);
}

TEST(Layout, WindowFontsAndControlLooks) {
  TMainForm form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("KX-71VantorManager V1.00"));
  EXPECT_EQ(form.size(), QSize(310, 416));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  form.resize(500, 600);  // any other size is replaced by the fitted one
  EXPECT_EQ(form.size(), QSize(310, 416));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);

  // The named face resolves to a Japanese proportional gothic, 12 pixels high.
  const QFontInfo info(form.font());
  EXPECT_TRUE(info.family().contains(QStringLiteral("IPA")) || info.family().contains(QStringLiteral("Noto")))
      << info.family().toStdString();
  EXPECT_EQ(info.pixelSize(), 12);
  EXPECT_TRUE(QFontMetrics(form.font()).inFont(QChar(u'回')));
  const QFontInfo spin(form.YOUID_INC->font());
  EXPECT_TRUE(spin.bold());
  EXPECT_EQ(spin.pixelSize(), 19);
  EXPECT_TRUE(QFontMetrics(form.YOUID_INC->font()).inFont(QChar(u'＋')));
  EXPECT_TRUE(form.YOUID_EDIT->font().bold());
  EXPECT_EQ(form.YOUID_EDIT->font().pixelSize(), 21);

  // Capital letters in the information line and the numeric edits, not in the identifiers.
  for (QLineEdit* edit :
       std::initializer_list<QLineEdit*>{form.MON_EDIT, form.THR_EDIT, form.YOBI2_EDIT, form.HICH_EDIT}) {
    EXPECT_EQ(edit->font().capitalization(), QFont::AllUppercase) << edit->objectName().toStdString();
  }
  EXPECT_NE(form.YOUID_EDIT->font().capitalization(), QFont::AllUppercase);
  EXPECT_EQ(form.MON_EDIT->focusPolicy(), Qt::ClickFocus);
  EXPECT_FALSE(form.MON_EDIT->isReadOnly());

  // The comment box: fixed, wrapping, plain text, top-left.
  EXPECT_TRUE(form.K_Comment->wordWrap());
  EXPECT_EQ(form.K_Comment->alignment(), Qt::AlignLeft | Qt::AlignTop);
  EXPECT_EQ(form.K_Comment->textFormat(), Qt::PlainText);

  // Picture buttons: a picture of the given size, no caption, named for assistive tools.
  const std::tuple<QPushButton*, QSize, const char*> pictures[] = {
      {form.PROGRAM_BTN, {24, 16}, "Write to the unit"},
      {form.READ_BTN, {24, 16}, "Read from the unit"},
      {form.EXIT_BTN, {24, 14}, "Exit"}};
  for (const auto& [button, size, name] : pictures) {
    EXPECT_EQ(button->iconSize(), size);
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(button->accessibleName(), QString::fromLatin1(name));
    EXPECT_FALSE(button->accessibleDescription().isEmpty());
    // The magenta bottom-left pixel colour is transparent.
    const QImage shown = button->icon().pixmap(size).toImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, size.height() - 1)), 0);
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        const QRgb p = shown.pixel(x, y);
        if (qAlpha(p) != 0) {
          ASSERT_NE(p & 0xFFFFFF, 0xFF00FFu);
        }
      }
    }
  }
  // The decorative picture, 796 x 478 in true colour, is stretched into the label.
  QImageReader picture(QStringLiteral(":/kx71/decor.bmp"));
  EXPECT_EQ(picture.size(), QSize(796, 478));
  EXPECT_EQ(picture.read().format(), QImage::Format_RGB32);  // no alpha channel
  EXPECT_EQ(form.Image1->pixmap().size(), QSize(321, 345));
  EXPECT_TRUE(form.Image1->hasScaledContents());
  EXPECT_TRUE(form.YOUID_INC->isFlat());
  EXPECT_EQ(form.YOUID_INC->focusPolicy(), Qt::NoFocus);
}

// Rows of `image` from `first` on that hold anything but the background colour, inside the frame.
int InkRowsFrom(const QImage& image, int first, int last, QRgb background) {
  int rows = 0;
  for (int y = first; y <= last; ++y) {
    for (int x = 1; x < image.width() - 1; ++x) {
      if (image.pixel(x, y) != background) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

TEST(Layout, EveryLevelsCommentShowsWholeInItsBox) {
  TMainForm form;
  ASSERT_TRUE(test::ShowActive(form));
  const QSize box = form.K_Comment->size();
  for (const LevelInfo& level : Levels()) {
    SCOPED_TRACE(level.name);
    form.LevelOption(level.level)->setChecked(true);
    ASSERT_EQ(form.K_Comment->text(), QString::fromUtf8(level.message));
    const QImage shown = form.K_Comment->grab().toImage();
    // The same text in a box twice as high shows what the real box cuts off.
    form.K_Comment->resize(box.width(), box.height() * 2);
    const QImage tall = form.K_Comment->grab().toImage();
    form.K_Comment->resize(box);
    const QRgb background = tall.pixel(tall.width() - 3, tall.height() - 3);
    const int inner = box.height() - 2;  // rows 1 .. inner lie inside the one-pixel frame
    EXPECT_EQ(InkRowsFrom(tall, inner + 1, tall.height() - 2, background), 0);
    EXPECT_EQ(shown.copy(0, 1, box.width(), inner), tall.copy(0, 1, box.width(), inner));
    // Five lines of text: the count the user is choosing ends the message, in the lowest rows.
    EXPECT_GT(InkRowsFrom(shown, inner - 14, inner - 4, background), 4);
  }
}

TEST(Layout, TabVisitsTheVisibleControlsInPanelOrder) {
  TMainForm form;
  ASSERT_TRUE(test::ShowActive(form));
  ASSERT_EQ(QApplication::focusWidget(), form.CommBox);
  QList<QWidget*> visited;
  for (int i = 0; i < 8; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget();
  }
  ASSERT_GE(visited.size(), 5);
  EXPECT_EQ(visited[0], form.PROGRAM_BTN);
  EXPECT_EQ(visited[1], form.READ_BTN);
  EXPECT_EQ(visited[2], form.EXIT_BTN);
  EXPECT_EQ(visited[3], form.Handy0);  // the level options' group, entered at the selected one
  EXPECT_EQ(visited[4], form.CommBox);
  for (QWidget* w : visited) {
    EXPECT_NE(w, form.MON_EDIT);
    EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
  }
  // Inside the group the arrow keys choose the neighbour, and Tab then enters at that one.
  form.Handy0->setFocus();
  QTest::keyClick(form.Handy0, Qt::Key_Down);
  EXPECT_TRUE(form.Handy1->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), form.Handy1);
  form.EXIT_BTN->setFocus();
  QTest::keyClick(form.EXIT_BTN, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), form.Handy1);
}

}  // namespace
}  // namespace kx71
