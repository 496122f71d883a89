// The window's controls against the layout: bounds, parents, colours, captions and initial values
// by objectName, the stacking of the panels, the window itself, fonts and the Tab order.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <set>

#include "protocol/settings_block.h"
#include "test_form.h"
#include "ui/qt/fonts.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

// What a widget shows as its text.
QString TextOf(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  return {};
}

// What the logic holds as the control's text.
QString LogicText(const TControl& c) {
  if (auto* label = dynamic_cast<const TLabel*>(&c)) return QString::fromStdString(label->Text());
  if (auto* edit = dynamic_cast<const TEdit*>(&c)) return QString::fromStdString(edit->Text());
  if (auto* box = dynamic_cast<const TComboBox*>(&c)) return QString::fromStdString(box->SelectedText());
  return QString::fromUtf8(c.Def().caption);
}

TEST(Layout, EveryWidgetShowsItsRowAndItsControlsState) {
  test::TTestForm form;
  for (const auto& c : form.Logic().Controls()) {
    const TControlDef& def = c->Def();
    SCOPED_TRACE(def.name);
    QWidget* w = form.findChild<QWidget*>(QString::fromLatin1(def.name));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w, form.Widget(*c));
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(def.parent));
    if (def.w == kFitted) {
      EXPECT_EQ(w->pos(), QPoint(def.x, def.y));
      EXPECT_EQ(w->size(), w->sizeHint());
    } else {
      EXPECT_EQ(w->geometry(), QRect(def.x, def.y, def.w, def.h));
    }
    if (def.kind != TControlKind::Picture && def.kind != TControlKind::PictureButton) {
      EXPECT_EQ(TextOf(w), LogicText(*c));
    }
    const QColor fill = ToQColor(def.colour), ink = ToQColor(def.textColour);
    const bool edit = def.kind == TControlKind::Edit;
    if (fill.isValid() && edit) {
      EXPECT_EQ(w->palette().color(QPalette::Base), fill);
    } else if (fill.isValid()) {
      EXPECT_TRUE(w->autoFillBackground());
      EXPECT_EQ(w->palette().color(QPalette::Window), fill);
    }
    if (ink.isValid()) {
      EXPECT_EQ(w->palette().color(edit ? QPalette::Text : QPalette::ButtonText), ink);
    }
    if (auto* option = dynamic_cast<const TOption*>(c.get())) {
      EXPECT_EQ(qobject_cast<QRadioButton*>(w)->isChecked(), option->Checked());
    }
    if (auto* bar = dynamic_cast<const TBar*>(c.get())) {
      auto* qbar = qobject_cast<QScrollBar*>(w);
      ASSERT_NE(qbar, nullptr);
      EXPECT_EQ(qbar->orientation(), Qt::Horizontal);
      EXPECT_EQ(qbar->minimum(), bar->Min());
      EXPECT_EQ(qbar->maximum(), bar->Max());
      EXPECT_EQ(qbar->value(), bar->Position());
      EXPECT_EQ(qbar->singleStep(), bar->Step());
      EXPECT_EQ(qbar->pageStep(), bar->Step());
      EXPECT_FALSE(qbar->invertedControls());
    }
    if (def.kind == TControlKind::Caption) {
      EXPECT_EQ(w->font().bold(), def.font.bold);
    }
    if (def.kind == TControlKind::Panel) {
      EXPECT_EQ(w->isVisibleTo(&form), !def.Has(kHidden));
      EXPECT_EQ(w->isEnabled(), !def.Has(kHidden));
    }
  }
  // The selector's start-up entries, 12 pixels high, not editable.
  ASSERT_EQ(form.CommBox->count(), 31);
  EXPECT_EQ(form.CommBox->itemText(30), QStringLiteral("COM30"));
  EXPECT_EQ(form.CommBox->itemData(5, Qt::SizeHintRole).toSize().height(), 12);
  EXPECT_FALSE(form.CommBox->isEditable());
}

TEST(Layout, PanelsStackInCreationOrderWithBevels) {
  test::TTestForm form;
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
  test::TTestForm form;
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
  // The faces were chosen with fontconfig before Qt's font database was filled: each is asked for
  // by a name that database lists.
  const QStringList listed = QFontDatabase::families();
  for (const QFont& chosen : {UiFont(), SystemFont(19, true)}) {
    EXPECT_TRUE(listed.contains(chosen.family(), Qt::CaseInsensitive)) << chosen.family().toStdString();
  }
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
  // The decorative picture fills its bounds, in true colour (artwork_test.cpp: with what).
  EXPECT_EQ(form.Image1->Shown().deviceIndependentSize(), QSizeF(321, 345));
  EXPECT_FALSE(form.Image1->Shown().hasAlphaChannel());
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
  test::TTestForm form;
  ASSERT_TRUE(test::ShowActive(form));
  const QSize box = form.K_Comment->size();
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = Info(static_cast<HandicapLevel>(i));
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

// The chain itself is the logic's (tests/form): here, that Qt's keys follow it.
TEST(Layout, TabAndTheArrowsMoveTheFocusWhereTheLogicSays) {
  test::TTestForm form;
  ASSERT_TRUE(test::ShowActive(form));
  ASSERT_EQ(QApplication::focusWidget(), form.CommBox);
  const TControl* at = &form.Logic().CommBox;
  for (int i = 0; i < 6; ++i) {
    const TControl* next = form.Logic().TabNext(at);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), form.Widget(*next)) << "after " << at->Name();
    at = next;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), form.Widget(*form.Logic().TabNext(at, false)));
  // An arrow on an option chooses the logic's neighbour, which takes the focus.
  form.Handy0->setFocus();
  QTest::keyClick(form.Handy0, Qt::Key_Up);
  EXPECT_TRUE(form.Logic().Handy_M.Checked());
  EXPECT_TRUE(form.Widget(form.Logic().Handy_M)->hasFocus());
}

}  // namespace
}  // namespace kx71
