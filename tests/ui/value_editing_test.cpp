// Value editing through the controls, as a user would do it with the hidden panels shown: the
// identifier editors and their spin buttons and keys, typed values reaching the bars, and the
// level options with their messages and counts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ui/main_form.h"
#include "ui/tag.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

class ValueEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (QFrame* p :
         {form.Panel1, form.Panel2, form.Panel3, form.Panel4, form.Panel5, form.Panel6, form.Panel7,
          form.Panel8, form.Panel9, form.Panel10, form.Panel11, form.Panel12, form.Panel13}) {
      SetPanelShown(p, true);
    }
    ASSERT_TRUE(test::ShowActive(form));
  }

  // Focuses `edit`, replaces its text by typing `text`.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  // Takes the focus away from the identifier or numeric edit that has it (leaving it).
  void Leave() { form.MON_EDIT->setFocus(); }

  void SetIdentifier(QLineEdit* edit, const QString& text) {
    Type(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  static bool WholeTextSelected(QLineEdit* edit) {
    return edit->hasSelectedText() && edit->selectedText() == edit->text();
  }

  TMainForm form;
};

TEST_F(ValueEditing, WindowGrowsToShowTheHiddenPanels) {
  EXPECT_EQ(form.size(), QSize(310, 724));
  SetPanelShown(form.Panel10, false);
  SetPanelShown(form.Panel1, false);
  EXPECT_EQ(form.size(), QSize(310, 688));
}

TEST_F(ValueEditing, SpinButtonsAndKeysStepWithinTheLimitsAndSelectTheText) {
  SetIdentifier(form.YOUID_EDIT, QStringLiteral("16777215"));
  EXPECT_EQ(Tag(form.YOUID_EDIT), 16777215);
  Leave();
  QTest::mouseClick(form.YOUID_INC, Qt::LeftButton);
  EXPECT_EQ(Tag(form.YOUID_EDIT), 16777215);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("16777215"));
  EXPECT_EQ(QApplication::focusWidget(), form.YOUID_EDIT);
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));
  QTest::mouseClick(form.YOUID_DEC, Qt::LeftButton);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("16777214"));
  QTest::keyClick(form.YOUID_EDIT, Qt::Key_Up);
  QTest::keyClick(form.YOUID_EDIT, Qt::Key_Up, Qt::ShiftModifier);  // whatever modifiers are held
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("16777215"));
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));

  Leave();
  QTest::mouseClick(form.MYID_DEC, Qt::LeftButton);
  EXPECT_EQ(Tag(form.MYID_EDIT), 0);
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("0"));
  EXPECT_EQ(QApplication::focusWidget(), form.MYID_EDIT);
  EXPECT_TRUE(WholeTextSelected(form.MYID_EDIT));
  QTest::keyClick(form.MYID_EDIT, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("0"));
  QTest::keyClick(form.MYID_EDIT, Qt::Key_Up);
  QTest::mouseClick(form.MYID_INC, Qt::LeftButton);
  EXPECT_EQ(Tag(form.MYID_EDIT), 2);
  EXPECT_EQ(Tag(form.YOUID_EDIT), 16777215);  // the other identifier is untouched
  // The three keys are consumed; others reach the edit.
  QTest::keyClick(form.MYID_EDIT, Qt::Key_End);
  QTest::keyClicks(form.MYID_EDIT, "7");
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("27"));
  EXPECT_EQ(Tag(form.MYID_EDIT), 2);
}

TEST_F(ValueEditing, StepsWorkFromTheStoredValueNotTheText) {
  // Typed and stepped without leaving: the typed 500 is lost.
  Type(form.YOUID_EDIT, QStringLiteral("500"));
  QTest::keyClick(form.YOUID_EDIT, Qt::Key_Up);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("1"));
  EXPECT_EQ(Tag(form.YOUID_EDIT), 1);
  Type(form.YOUID_EDIT, QStringLiteral("500"));
  QTest::mouseClick(form.YOUID_INC, Qt::LeftButton);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("2"));

  // The other identifier's button moves the focus first, so leaving stores the 500.
  Type(form.YOUID_EDIT, QStringLiteral("500"));
  QTest::mouseClick(form.MYID_INC, Qt::LeftButton);
  EXPECT_EQ(Tag(form.YOUID_EDIT), 500);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("500"));
  EXPECT_EQ(Tag(form.MYID_EDIT), 1);
  EXPECT_EQ(QApplication::focusWidget(), form.MYID_EDIT);

  // Clicking into an edit selects its whole text.
  QTest::mouseClick(form.YOUID_EDIT, Qt::LeftButton, {}, QPoint(5, 10));
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));
}

TEST_F(ValueEditing, LeavingAnIdentifierConvertsAndLimitsTheText) {
  struct Case {
    const char* typed;
    int expected;  // -1: the stored value stays
  };
  const Case cases[] = {
      {"abc", -1},
      {"", -1},
      {"42 ", -1},
      {"2147483648", -1},
      {"-2147483649", -1},
      {"-5", 0},
      {"16777216", 16777215},
      {"2147483647", 16777215},
      {"$80000000", 0},
      {"0xFFFFFFFF", 0},
      {" 42", 42},
      {"$FF", 255},
      {"+9", 9},
      {"x7fffffff", 16777215},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    SetIdentifier(form.MYID_EDIT, QStringLiteral("1234"));
    ASSERT_EQ(Tag(form.MYID_EDIT), 1234);
    Type(form.MYID_EDIT, QString::fromLatin1(c.typed));
    Leave();
    const int expected = c.expected < 0 ? 1234 : c.expected;
    EXPECT_EQ(Tag(form.MYID_EDIT), expected);
    EXPECT_EQ(form.MYID_EDIT->text(), QString::number(expected));
  }
}

TEST_F(ValueEditing, TypedValuesReachTheBarsOnReturnOrLeaving) {
  // Return: limited to the range.
  Type(form.LAST_EDIT, QStringLiteral("300"));
  EXPECT_EQ(form.LAST_BAR->value(), 0);  // not before Return
  QTest::keyClick(form.LAST_EDIT, Qt::Key_Return);
  EXPECT_EQ(form.LAST_BAR->value(), 255);
  EXPECT_EQ(form.LAST_EDIT->text(), QStringLiteral("255"));

  // Leaving with a letter restores the bar's position.
  form.THR_BAR->setValue(7);
  Type(form.THR_EDIT, QStringLiteral("q"));
  Leave();
  EXPECT_EQ(form.THR_BAR->value(), 7);
  EXPECT_EQ(form.THR_EDIT->text(), QStringLiteral("7"));
  Type(form.THR_EDIT, QStringLiteral("0x10"));
  Leave();
  EXPECT_EQ(form.THR_BAR->value(), 16);
  Type(form.HICH_EDIT, QStringLiteral("-3"));
  Leave();
  EXPECT_EQ(form.HICH_BAR->value(), 0);
  EXPECT_EQ(form.HICH_EDIT->text(), QStringLiteral("0"));

  // YOBI2: moved bars show the even position below, typed values show unrounded.
  form.YOBI2_BAR->setValue(75);
  EXPECT_EQ(form.YOBI2_EDIT->text(), QStringLiteral("74"));
  Type(form.YOBI2_EDIT, QStringLiteral("75"));
  QTest::keyClick(form.YOBI2_EDIT, Qt::Key_Return);
  EXPECT_EQ(form.YOBI2_BAR->value(), 75);
  EXPECT_EQ(form.YOBI2_EDIT->text(), QStringLiteral("75"));
  Type(form.YOBI2_EDIT, QStringLiteral("33"));
  Leave();
  EXPECT_EQ(form.YOBI2_BAR->value(), 33);
  EXPECT_EQ(form.YOBI2_EDIT->text(), QStringLiteral("33"));
  form.YOBI2_BAR->setFocus();
  QTest::keyClick(form.YOBI2_BAR, Qt::Key_Right);  // a step of 2
  EXPECT_EQ(form.YOBI2_BAR->value(), 35);
  EXPECT_EQ(form.YOBI2_EDIT->text(), QStringLiteral("34"));

  // A click into a numeric edit selects its whole text.
  QTest::mouseClick(form.MODE_EDIT, Qt::LeftButton, {}, QPoint(3, 9));
  EXPECT_TRUE(WholeTextSelected(form.MODE_EDIT));
}

TEST_F(ValueEditing, EachLevelShowsItsMessageAndSetsItsCount) {
  for (const LevelInfo& level : Levels()) {
    SCOPED_TRACE(level.name);
    QRadioButton* option = form.LevelOption(level.level);
    ASSERT_EQ(option->objectName(), QString::fromLatin1(level.name));
    if (option->isChecked()) SelectOption(form.Handy_7 == option ? form.Handy_S : form.Handy_7);
    QTest::mouseClick(option, Qt::LeftButton);
    EXPECT_EQ(form.K_Comment->text(), QString::fromUtf8(level.message));
    EXPECT_EQ(form.THR_BAR->value(), level.preset);
    EXPECT_EQ(form.THR_EDIT->text(), QString::number(level.preset));
    // A second click does nothing new.
    form.THR_BAR->setValue(100);
    QTest::mouseClick(option, Qt::LeftButton);
    EXPECT_EQ(form.THR_BAR->value(), 100);
  }
  // The texts as the user reads them, lines joined by CR LF.
  SelectOption(form.Handy6);
  EXPECT_EQ(form.K_Comment->text(),
            QStringLiteral(
                "Message from developer：\r\nYou've just entered the road to the Vantor summit. Overtake "
                "your rivals on the straight!!\r\n\r\n(Overtake count: 15 times)"));
  SelectOption(form.Handy4);
  EXPECT_EQ(
      form.K_Comment->text(),
      QStringLiteral("Message from developer：\r\nYou must be getting used to overtaking. Stay sharp!\r\n\r\n"
                     "\r\n(Overtake count: 9 times)"));
  EXPECT_EQ(form.THR_BAR->value(), 9);
}

TEST_F(ValueEditing, OptionSelectedFromCodeWhileSelectedKeepsTheCount) {
  // "No Handicap" is selected from the start; selecting it again keeps count 1 and the comment.
  SelectOption(form.Handy0);
  EXPECT_EQ(form.THR_BAR->value(), 1);
  EXPECT_EQ(form.K_Comment->text(), QStringLiteral("Message from developer："));
  // After a level was chosen, a count set later survives a repeated selection.
  SelectOption(form.Handy_M);
  EXPECT_EQ(form.THR_BAR->value(), 3);
  form.THR_BAR->setValue(4);
  SelectOption(form.Handy_M);
  EXPECT_EQ(form.THR_BAR->value(), 4);
}

}  // namespace
}  // namespace kx71
