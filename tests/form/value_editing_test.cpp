// Value editing as a front end passes the user's actions in, with the hidden panels shown: the
// identifier editors with their spin buttons and keys, typed values reaching the bars, and the
// level options with their messages and counts.
#include <gtest/gtest.h>

#include "fake_window.h"

namespace kx71 {
namespace {

class ValueEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (TPanel* p : form.Panels) p->SetVisible(true);
  }

  // Focuses `edit` and replaces its text as typing would.
  void Type(TEdit& edit, const std::string& text) {
    form.UserFocused(edit);
    edit.UserTyped(text);
  }
  // Return as a front end delivers it: the key, then the character unless consumed.
  void Return(TEdit& edit) {
    if (edit.UserKeyDown(kKeyReturn)) edit.UserKeyPress('\r');
  }
  void Leave() { form.UserFocused(form.MON_EDIT); }
  void SetIdentifier(TEdit& edit, const std::string& text) {
    Type(edit, text);
    Return(edit);
  }
  bool WholeTextSelected(TEdit& edit) { return window.View(edit).selectedAll == window.View(edit).text; }

  test::TFakeWindow window;
  TMainForm& form = window.form();
};

TEST_F(ValueEditing, SpinButtonsAndKeysStepWithinTheLimitsAndSelectTheText) {
  SetIdentifier(form.YOUID_EDIT, "16777215");
  EXPECT_EQ(form.YOUID_EDIT.Tag(), 16777215);
  Leave();
  form.YOUID_INC.UserClicked();
  EXPECT_EQ(form.YOUID_EDIT.Tag(), 16777215);
  EXPECT_EQ(window.View(form.YOUID_EDIT).text, "16777215");
  EXPECT_EQ(form.Focused(), &form.YOUID_EDIT);
  EXPECT_EQ(window.focusMoves.back(), "YOUID_EDIT");
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));
  form.YOUID_DEC.UserClicked();
  EXPECT_EQ(form.YOUID_EDIT.Text(), "16777214");
  EXPECT_FALSE(form.YOUID_EDIT.UserKeyDown(kKeyUp));  // consumed
  EXPECT_FALSE(form.YOUID_EDIT.UserKeyDown(kKeyUp));
  EXPECT_EQ(form.YOUID_EDIT.Text(), "16777215");
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));

  Leave();
  form.MYID_DEC.UserClicked();
  EXPECT_EQ(form.MYID_EDIT.Tag(), 0);
  EXPECT_EQ(form.MYID_EDIT.Text(), "0");
  EXPECT_TRUE(WholeTextSelected(form.MYID_EDIT));
  EXPECT_FALSE(form.MYID_EDIT.UserKeyDown(kKeyDown));
  EXPECT_EQ(form.MYID_EDIT.Text(), "0");
  form.MYID_EDIT.UserKeyDown(kKeyUp);
  form.MYID_INC.UserClicked();
  EXPECT_EQ(form.MYID_EDIT.Tag(), 2);
  EXPECT_EQ(form.YOUID_EDIT.Tag(), 16777215);  // the other identifier is untouched
  // Other keys reach the edit.
  EXPECT_TRUE(form.MYID_EDIT.UserKeyDown('7'));
  EXPECT_TRUE(form.MYID_EDIT.UserKeyDown(kKeyOther));
}

TEST_F(ValueEditing, StepsWorkFromTheStoredValueNotTheText) {
  // Typed and stepped without leaving: the typed 500 is lost.
  Type(form.YOUID_EDIT, "500");
  form.YOUID_EDIT.UserKeyDown(kKeyUp);
  EXPECT_EQ(form.YOUID_EDIT.Text(), "1");
  Type(form.YOUID_EDIT, "500");
  form.YOUID_INC.UserClicked();
  EXPECT_EQ(form.YOUID_EDIT.Text(), "2");

  // The other identifier's button moves the focus first, so leaving stores the 500.
  Type(form.YOUID_EDIT, "500");
  form.MYID_INC.UserClicked();
  EXPECT_EQ(form.YOUID_EDIT.Tag(), 500);
  EXPECT_EQ(window.View(form.YOUID_EDIT).text, "500");
  EXPECT_EQ(form.MYID_EDIT.Tag(), 1);
  EXPECT_EQ(form.Focused(), &form.MYID_EDIT);

  // A mouse release in an edit selects its whole text.
  form.YOUID_EDIT.UserMouseUp();
  EXPECT_TRUE(WholeTextSelected(form.YOUID_EDIT));
}

struct IdCase {
  const char* typed;
  int expected;  // -1: the stored value stays
};

class LeavingAnIdentifier : public ValueEditing, public ::testing::WithParamInterface<IdCase> {};

TEST_P(LeavingAnIdentifier, ConvertsAndLimitsTheText) {
  SetIdentifier(form.MYID_EDIT, "1234");
  ASSERT_EQ(form.MYID_EDIT.Tag(), 1234);
  Type(form.MYID_EDIT, GetParam().typed);
  Leave();
  const int expected = GetParam().expected < 0 ? 1234 : GetParam().expected;
  EXPECT_EQ(form.MYID_EDIT.Tag(), expected);
  EXPECT_EQ(window.View(form.MYID_EDIT).text, std::to_string(expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, LeavingAnIdentifier,
                         ::testing::Values(IdCase{"abc", -1}, IdCase{"", -1}, IdCase{"42 ", -1},
                                           IdCase{"2147483648", -1}, IdCase{"-2147483649", -1},
                                           IdCase{"-5", 0}, IdCase{"16777216", 16777215},
                                           IdCase{"2147483647", 16777215}, IdCase{"$80000000", 0},
                                           IdCase{"0xFFFFFFFF", 0}, IdCase{" 42", 42}, IdCase{"$FF", 255},
                                           IdCase{"+9", 9}, IdCase{"x7fffffff", 16777215}));

TEST_F(ValueEditing, TypedValuesReachTheBarsOnReturnOrLeaving) {
  // Return: limited to the range.
  Type(form.LAST_EDIT, "300");
  EXPECT_EQ(form.LAST_BAR.Position(), 0);  // not before Return
  Return(form.LAST_EDIT);
  EXPECT_EQ(form.LAST_BAR.Position(), 255);
  EXPECT_EQ(window.View(form.LAST_EDIT).text, "255");

  // Leaving with a letter restores the bar's position.
  form.THR_BAR.SetPosition(7);
  Type(form.THR_EDIT, "q");
  Leave();
  EXPECT_EQ(form.THR_BAR.Position(), 7);
  EXPECT_EQ(form.THR_EDIT.Text(), "7");
  Type(form.THR_EDIT, "0x10");
  Leave();
  EXPECT_EQ(form.THR_BAR.Position(), 16);
  Type(form.HICH_EDIT, "-3");
  Leave();
  EXPECT_EQ(form.HICH_BAR.Position(), 0);
  EXPECT_EQ(form.HICH_EDIT.Text(), "0");

  // YOBI2: moved bars show the even position below, typed values show unrounded.
  form.YOBI2_BAR.UserMoved(75);
  EXPECT_EQ(window.View(form.YOBI2_EDIT).text, "74");
  Type(form.YOBI2_EDIT, "75");
  Return(form.YOBI2_EDIT);
  EXPECT_EQ(form.YOBI2_BAR.Position(), 75);
  EXPECT_EQ(form.YOBI2_EDIT.Text(), "75");
  Type(form.YOBI2_EDIT, "33");
  Leave();
  EXPECT_EQ(form.YOBI2_BAR.Position(), 33);
  EXPECT_EQ(form.YOBI2_EDIT.Text(), "33");
  EXPECT_EQ(form.YOBI2_BAR.Step(), 2);

  // A character other than Return is left to the edit.
  EXPECT_TRUE(form.MODE_EDIT.UserKeyPress('5'));
  form.MODE_EDIT.UserMouseUp();
  EXPECT_TRUE(WholeTextSelected(form.MODE_EDIT));
}

TEST_F(ValueEditing, EachLevelShowsItsMessageAndSetsItsCount) {
  for (int i = 0; i < kLevelCount; ++i) {
    const LevelInfo& level = Info(static_cast<HandicapLevel>(i));
    SCOPED_TRACE(level.name);
    TOption& option = form.LevelOption(level.level);
    ASSERT_STREQ(option.Name(), level.name);
    if (option.Checked()) (&option == &form.Handy_7 ? form.Handy_S : form.Handy_7).Select();
    option.UserClicked();
    EXPECT_EQ(window.View(form.K_Comment).text, level.message);
    EXPECT_EQ(form.THR_BAR.Position(), level.preset);
    EXPECT_EQ(window.View(form.THR_EDIT).text, std::to_string(level.preset));
    // A second click does nothing new.
    form.THR_BAR.SetPosition(100);
    option.UserClicked();
    EXPECT_EQ(form.THR_BAR.Position(), 100);
  }
  // The texts as the user reads them, lines joined by CR LF.
  form.Handy6.Select();
  EXPECT_EQ(form.K_Comment.Text(),
            "Message from developer：\r\nYou've just entered the road to the Vantor summit. Overtake "
            "your rivals on the straight!!\r\n\r\n(Overtake count: 15 times)");
  form.Handy4.Select();
  EXPECT_EQ(form.K_Comment.Text(),
            "Message from developer：\r\nYou must be getting used to overtaking. Stay sharp!\r\n\r\n"
            "\r\n(Overtake count: 9 times)");
  EXPECT_EQ(form.THR_BAR.Position(), 9);
}

TEST_F(ValueEditing, OptionSelectedFromCodeWhileSelectedKeepsTheCount) {
  // "No Handicap" is selected from the start; selecting it again keeps count 1 and the comment.
  form.Handy0.Select();
  EXPECT_EQ(form.THR_BAR.Position(), 1);
  EXPECT_EQ(form.K_Comment.Text(), "Message from developer：");
  // After a level was chosen, a count set later survives a repeated selection.
  form.Handy_M.Select();
  EXPECT_EQ(form.THR_BAR.Position(), 3);
  form.THR_BAR.SetPosition(4);
  form.Handy_M.Select();
  EXPECT_EQ(form.THR_BAR.Position(), 4);
}

}  // namespace
}  // namespace kx71
