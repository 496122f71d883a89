// The window's logic with a fake front end: the state at the end of start-up, the toolkit rules it
// implements over its controls (bars, option groups, the nested pump with the deferred close, the
// failure report), the focus and Tab order, and the port selector's list.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fake_window.h"
#include "ui/form/failure_text.h"

namespace kx71 {
namespace {

using test::TFakeWindow;

// The texts, positions and options at the end of start-up are in the layout table's test.
TEST(StartUp, LinksTheEditorsFillsTheSelectorAndFocusesIt) {
  TFakeWindow window;
  TMainForm& form = window.form();
  EXPECT_EQ(form.YOUID_EDIT.Tag(), 0);
  EXPECT_EQ(form.MYID_EDIT.Tag(), 0);
  // "OFF" selected, then COM1 to COM30, whatever the machine has.
  ASSERT_EQ(window.View(form.CommBox).items.size(), 31u);
  EXPECT_EQ(window.View(form.CommBox).items[30], "COM30");
  EXPECT_EQ(window.View(form.CommBox).selected, 0);
  EXPECT_EQ(form.YOUID_INC.Partner(), &form.YOUID_EDIT);
  EXPECT_EQ(form.MYID_DEC.Partner(), &form.MYID_EDIT);
  EXPECT_EQ(form.UA_BAR.Partner(), &form.UA_EDIT);
  EXPECT_EQ(form.UA_EDIT.Partner(), &form.UA_BAR);
  EXPECT_EQ(form.YOBI2_EDIT.Partner(), &form.YOBI2_BAR);
  EXPECT_FALSE(form.CommX1.IsOpen());
  EXPECT_EQ(form.CommX1.FlowCtrl(), cfcNone);
  EXPECT_EQ(window.focusMoves, std::vector<std::string>{"CommBox"});
  EXPECT_FALSE(window.View(form.Panel5).visible);
}

TEST(ToolkitRules, BarPositionIsLimitedAndOnlyARealChangeRunsTheHandler) {
  TFakeWindow window;
  TMainForm& form = window.form();
  int changes = 0;
  test::CountCalls(form.THR_BAR.OnChange, changes);
  form.THR_BAR.SetPosition(300);
  EXPECT_EQ(form.THR_BAR.Position(), 250);
  EXPECT_EQ(window.View(form.THR_BAR).position, 250);
  EXPECT_EQ(form.THR_EDIT.Text(), "250");
  form.THR_BAR.SetPosition(250);  // no change: the handler does not run
  form.THR_BAR.SetPosition(999);  // limited to the position it already has
  form.THR_BAR.SetPosition(-5);
  EXPECT_EQ(form.THR_BAR.Position(), 1);
  EXPECT_EQ(changes, 2);

  // A user's move is limited alike; a native bar that went past the range is shown back.
  form.Panel11.SetVisible(true);
  form.THR_BAR.UserMoved(400);
  EXPECT_EQ(form.THR_BAR.Position(), 250);
  form.THR_BAR.UserMoved(250);
  window.View(form.THR_BAR).position = 251;
  form.THR_BAR.UserMoved(251);
  EXPECT_EQ(window.View(form.THR_BAR).position, 250);
  EXPECT_EQ(changes, 3);
  // A hidden bar does not move for the user.
  form.Panel11.SetVisible(false);
  form.THR_BAR.UserMoved(5);
  EXPECT_EQ(form.THR_BAR.Position(), 250);
}

TEST(ToolkitRules, OptionRunsItsClickOnlyWhenNewlySelected) {
  TFakeWindow window;
  TMainForm& form = window.form();
  int clicks = 0;
  test::CountCalls(form.Handy6.OnClick, clicks);
  // From code, not selected: the group follows and the handler runs as for a click.
  form.Handy6.Select();
  EXPECT_TRUE(form.Handy6.Checked());
  EXPECT_FALSE(form.Handy0.Checked());
  EXPECT_FALSE(window.View(form.Handy0).checked);
  EXPECT_TRUE(window.View(form.Handy6).checked);
  EXPECT_EQ(form.THR_BAR.Position(), 15);
  EXPECT_TRUE(form.OT_OFF.Checked());  // other groups are untouched
  // From code and by a user's click, already selected: nothing happens (a native option that
  // reports the click on the selected one is shown checked again).
  form.THR_BAR.SetPosition(12);
  form.Handy6.Select();
  window.View(form.Handy6).checked = false;
  form.Handy6.UserClicked();
  EXPECT_TRUE(window.View(form.Handy6).checked);
  EXPECT_EQ(form.THR_BAR.Position(), 12);
  EXPECT_EQ(clicks, 1);
  // A user's click on another option runs that option's handler.
  form.Handy3.UserClicked();
  EXPECT_TRUE(form.Handy3.Checked());
  EXPECT_FALSE(form.Handy6.Checked());
  EXPECT_EQ(form.THR_BAR.Position(), 8);
  // Options of a hidden panel take no clicks.
  form.OT_ON.UserClicked();
  EXPECT_FALSE(form.OT_ON.Checked());
}

TEST(ToolkitRules, CloseDuringANestedPumpWaitsForTheOutermostHandler) {
  TFakeWindow window;
  TMainForm& form = window.form();
  // A handler that waits as an exchange does, pumping messages, while the user closes the window.
  bool closedInside = true;
  {
    TBusyDepth::TGuard outer(form.Busy());
    window.onPump = [&] {
      window.onPump = nullptr;
      form.EXIT_BTN.UserClicked();
    };
    form.ProcessMessages();
    EXPECT_EQ(window.pumps, 1);
    form.ProcessMessages();
    closedInside = window.closed;
    // A command refuses to start while a handler waits.
    form.READ_BTN.UserClicked();
    EXPECT_EQ(form.MON_EDIT.Text(), "");
  }
  EXPECT_FALSE(closedInside);
  EXPECT_FALSE(window.closed);  // posted: carried out by the next pass of the loop
  window.ProcessMessages();
  EXPECT_TRUE(window.closed);
  EXPECT_FALSE(form.Busy().Pending());

  // Not busy: the close is at once.
  TFakeWindow second;
  second.form().EXIT_BTN.UserClicked();
  EXPECT_TRUE(second.closed);
}

struct FullStopCase {
  const char* message;
  const char* shown;
};

class FailureText : public ::testing::TestWithParam<FullStopCase> {};

TEST_P(FailureText, FullStopFollowsTheLastByte) {
  EXPECT_EQ(WithFullStop(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailureText,
    ::testing::Values(FullStopCase{"Port failed", "Port failed."}, FullStopCase{"COM3", "COM3."},
                      FullStopCase{"Done.", "Done."}, FullStopCase{"Stop!", "Stop!"},
                      FullStopCase{"(in brackets)", "(in brackets)"}, FullStopCase{"", ""},
                      FullStopCase{"Done-", "Done-"},  // '-' sorts before '.'
                      FullStopCase{"Done/", "Done/."},
                      FullStopCase{"'COMX' は整数ではありません", "'COMX' は整数ではありません."}));

TEST(FailureReport, CaptionIsTheProgramsTitleAndTheProgramGoesOn) {
  EXPECT_EQ(TitleFromFileName("KX71-Vantor.Manager.exe"), "Kx71-vantor");
  EXPECT_EQ(TitleFromFileName("kx71-vantor-manager"), "kx71-vantor-manager");
  EXPECT_EQ(TitleFromFileName("ABC"), "Abc");
  EXPECT_EQ(TitleFromFileName("C:\\Tools\\KX71.EXE"), "Kx71");

  // A failure escaping a user event's handler reaches the box; the control goes on.
  TFakeWindow window;
  TMainForm& form = window.form();
  form.Panel2.SetVisible(true);
  int keys = 0;
  form.YOUID_EDIT.OnKeyDown = [&](TControl&, int&) {
    if (++keys == 1) throw std::runtime_error("ポートが見つかりません");
  };
  EXPECT_TRUE(form.YOUID_EDIT.UserKeyDown('A'));
  ASSERT_EQ(window.boxes.size(), 1u);
  EXPECT_EQ(window.boxes[0].first, "Kx71-vantor");
  EXPECT_EQ(window.boxes[0].second, "ポートが見つかりません.");
  EXPECT_TRUE(form.YOUID_EDIT.UserKeyDown('B'));
  EXPECT_EQ(keys, 2);
  EXPECT_EQ(window.boxes.size(), 1u);
}

TEST(Focus, LeavingRunsTheExitOfTheControlThatHadItAndTabFollowsThePanels) {
  TFakeWindow window;
  TMainForm& form = window.form();
  // Hidden controls take no focus.
  form.SetFocus(form.THR_EDIT);
  EXPECT_EQ(form.Focused(), &form.CommBox);

  // The chain with the hidden panels left out, entering the options at the selected one.
  std::vector<std::string> chain;
  for (const TControl* c = form.TabNext(&form.CommBox); c != &form.CommBox; c = form.TabNext(c)) {
    chain.push_back(c->Name());
    ASSERT_LT(chain.size(), 10u);
  }
  EXPECT_EQ(chain, (std::vector<std::string>{"PROGRAM_BTN", "READ_BTN", "EXIT_BTN", "Handy0"}));
  EXPECT_EQ(form.TabNext(&form.CommBox, false)->Name(), std::string("Handy0"));
  EXPECT_EQ(form.TabNext(&form.MON_EDIT), &form.CommBox);  // not a tab stop: Tab starts over

  // Shown panels join in their order; a bar's leave runs its change handler.
  for (TPanel* p : form.Panels) p->SetVisible(true);
  EXPECT_EQ(form.TabNext(&form.EXIT_BTN)->Name(), std::string("BUP_5Ah"));
  EXPECT_EQ(form.TabNext(&form.BUP_5Ah)->Name(), std::string("YOUID_EDIT"));
  form.UserFocused(form.LAST_BAR);
  form.LAST_EDIT.SetText("stale");
  form.UserFocused(form.MODE_BAR);
  EXPECT_EQ(form.LAST_EDIT.Text(), "0");
  form.UserFocused(form.MODE_BAR);  // reported again: nothing is left
  form.MODE_EDIT.SetText("stale");
  form.UserFocused(form.MODE_BAR);
  EXPECT_EQ(form.MODE_EDIT.Text(), "stale");
}

TEST(Focus, FlatButtonsAndLabelsTakeNoFocusSoTheEditorIsNotLeft) {
  TFakeWindow window;
  TMainForm& form = window.form();
  form.Panel2.SetVisible(true);
  form.SetFocus(form.YOUID_EDIT);
  int exits = 0;
  test::CountCalls(form.YOUID_EDIT.OnExit, exits);
  // A native button that took the focus on its click, a step from code, a label.
  form.UserFocused(form.YOUID_INC);
  form.SetFocus(form.YOUID_DEC);
  form.UserFocused(*form.Find("Label2"));
  EXPECT_EQ(form.Focused(), &form.YOUID_EDIT);
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(window.focusMoves.back(), "YOUID_EDIT");
  // Nor does Tab stop at them.
  for (TPanel* p : form.Panels) p->SetVisible(true);
  EXPECT_EQ(form.TabNext(&form.YOUID_EDIT)->Name(), std::string("MYID_EDIT"));
}

TEST(OptionGroups, ArrowsGoToTheNeighbourInTableOrderWrappingRound) {
  TFakeWindow window;
  TMainForm& form = window.form();
  EXPECT_EQ(&form.Handy0.Neighbour(true), &form.Handy1);
  EXPECT_EQ(&form.Handy0.Neighbour(false), &form.Handy_M);
  EXPECT_EQ(&form.Handy_7.Neighbour(true), &form.Handy_S);
  EXPECT_EQ(&form.Handy_S.Neighbour(false), &form.Handy_7);
  // The table's order, not left to right: 5Ah comes first although it lies right of 00h.
  EXPECT_EQ(&form.BUP_5Ah.Neighbour(true), &form.BUP_00h);
  EXPECT_EQ(&form.BUP_00h.Neighbour(true), &form.BUP_5Ah);
  EXPECT_EQ(&form.OT_ON.Neighbour(false), &form.OT_OFF);
}

TEST(ClientSize, IsTheExtentOfTheVisiblePanels) {
  TFakeWindow window;
  TMainForm& form = window.form();
  EXPECT_EQ(form.ClientSize(), (TSize{310, 416}));
  form.Panel16.SetVisible(false);
  EXPECT_EQ(form.ClientSize(), (TSize{310, 395}));
  form.Panel5.SetVisible(true);
  EXPECT_EQ(form.ClientSize(), (TSize{310, 441}));
  for (TPanel* p : form.Panels) p->SetVisible(true);
  EXPECT_EQ(form.ClientSize(), (TSize{310, 724}));
}

TEST(PortSelector, ListOperationsKeepEntriesAndSelectionInTheLogic) {
  TFakeWindow window;
  TComboBox& box = window.form().CommBox;
  box.Assign({"COM3", "COM5", "COM9"});
  box.Insert0("OFF");
  EXPECT_EQ(box.SelectedText(), "");
  box.Select(1);
  box.Insert0("X");  // the selection moves with its entry
  EXPECT_EQ(box.SelectedText(), "COM3");
  EXPECT_EQ(window.View(box).selected, 2);
  EXPECT_EQ(box.IndexOfIgnoreCase("com9"), 4);
  EXPECT_EQ(box.IndexOfIgnoreCase("COM4"), -1);
  box.Select(7);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.Clear();
  EXPECT_EQ(box.SelectedText(), "");
  EXPECT_TRUE(window.View(box).items.empty());
}

}  // namespace
}  // namespace kx71
