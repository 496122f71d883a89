// Value editing through the Qt widgets, with the hidden panels shown: the window fits them, and the
// user's clicks, keys and typing reach the logic and come back as the widgets show them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ui/qt/main_form.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

class ValueEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TPanel* p : form.Logic().Panels) p->SetVisible(true);
    ASSERT_TRUE(test::ShowActive(form));
  }

  // Focuses `edit` and replaces its text by typing `text`.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  static bool WholeTextSelected(QLineEdit* edit) {
    return edit->hasSelectedText() && edit->selectedText() == edit->text();
  }

  TQtMainForm form;
};

TEST_F(ValueEditing, WindowGrowsToShowTheHiddenPanels) {
  EXPECT_EQ(form.size(), QSize(310, 724));
  form.Logic().Panel10.SetVisible(false);
  form.Logic().Panel1.SetVisible(false);
  EXPECT_EQ(form.size(), QSize(310, 688));
}

TEST_F(ValueEditing, SpinButtonsAndKeysFocusTheEditorAndSelectItsText) {
  Type(form.YOUID_EDIT, QStringLiteral("500"));
  QTest::keyClick(form.YOUID_EDIT, Qt::Key_Return);
  EXPECT_EQ(form.Logic().YOUID_EDIT.Tag(), 500);
  // The other identifier's button moves the focus: the typed text is taken on leaving.
  Type(form.YOUID_EDIT, QStringLiteral("42"));
  QTest::mouseClick(form.MYID_INC, Qt::LeftButton);
  EXPECT_EQ(form.Logic().YOUID_EDIT.Tag(), 42);
  EXPECT_EQ(QApplication::focusWidget(), form.MYID_EDIT);
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("1"));
  EXPECT_TRUE(WholeTextSelected(form.MYID_EDIT));
  // Up, Down and Return are consumed, whatever modifiers are held; other keys reach the edit.
  QTest::keyClick(form.MYID_EDIT, Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(form.MYID_EDIT, Qt::Key_Up);
  QTest::keyClick(form.MYID_EDIT, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("2"));
  QTest::keyClick(form.MYID_EDIT, Qt::Key_End);
  QTest::keyClicks(form.MYID_EDIT, "7");
  EXPECT_EQ(form.MYID_EDIT->text(), QStringLiteral("27"));
  EXPECT_EQ(form.Logic().MYID_EDIT.Tag(), 2);
  // Clicking into an edit selects its whole text.
  QTest::mouseClick(form.YOUID_EDIT, Qt::LeftButton, {}, QPoint(5, 10));
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));
}

TEST_F(ValueEditing, TypedValuesReachTheBarsOnReturnOrLeaving) {
  Type(form.LAST_EDIT, QStringLiteral("300"));
  EXPECT_EQ(form.LAST_BAR->value(), 0);  // not before Return
  QTest::keyClick(form.LAST_EDIT, Qt::Key_Return);
  EXPECT_EQ(form.LAST_BAR->value(), 255);
  EXPECT_EQ(form.LAST_EDIT->text(), QStringLiteral("255"));
  Type(form.THR_EDIT, QStringLiteral("q"));
  form.MON_EDIT->setFocus();
  EXPECT_EQ(form.THR_EDIT->text(), QStringLiteral("1"));
  // The numeric edits show capitals; the text as typed is what the logic reads.
  Type(form.THR_EDIT, QStringLiteral("0x10"));
  QTest::mouseClick(form.MODE_EDIT, Qt::LeftButton, {}, QPoint(3, 9));
  EXPECT_EQ(form.THR_BAR->value(), 16);
  EXPECT_TRUE(WholeTextSelected(form.MODE_EDIT));
  form.YOBI2_BAR->setValue(75);  // as a drag would
  EXPECT_EQ(form.YOBI2_EDIT->text(), QStringLiteral("74"));
}

}  // namespace
}  // namespace kx71
