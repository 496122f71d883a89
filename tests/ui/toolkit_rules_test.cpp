// What only Qt can answer about the toolkit rules the window relies on: the hidden editors' keys,
// clicks and focus once shown, its radio buttons' clicks on the selected option, the selector's drop-down and close-up, the
// nested message pump with the deferred close in a real loop, posted tasks, and the failure box.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "text/int_text.h"
#include "ui/qt/failure_report.h"
#include "test_form.h"
#include "ui/qt/qt_main_thread.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

void ShowHiddenPanels(test::TTestForm& form) {
  for (TPanel* p : form.Logic().Panels) p->SetVisible(true);
}

// Focuses `edit` and replaces its text by typing `text`.
void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

TEST(ToolkitRules, HiddenPanelsShownGrowTheWindowAndTheirControlsTakeKeysClicksAndFocus) {
  test::TTestForm form;
  ShowHiddenPanels(form);
  ASSERT_TRUE(test::ShowActive(form));
  EXPECT_EQ(form.size(), QSize(310, 724));  // the logic's size with every panel shown

  // Bar keys move as the arrows point; leaving a bar for another control runs its handler.
  form.LAST_BAR->setFocus();
  for (auto key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}) QTest::keyClick(form.LAST_BAR, key);
  EXPECT_EQ(form.Logic().LAST_BAR.Position(), 1);
  form.Logic().LAST_EDIT.SetText("stale");
  form.MODE_BAR->setFocus();
  EXPECT_EQ(form.LAST_EDIT->text(), QStringLiteral("1"));

  // Typed text reaches the logic on Return; Up is consumed whatever modifiers are held.
  Type(form.LAST_EDIT, QStringLiteral("300"));
  QTest::keyClick(form.LAST_EDIT, Qt::Key_Return);
  EXPECT_EQ(form.LAST_BAR->value(), 255);
  Type(form.YOUID_EDIT, QStringLiteral("42"));
  QTest::keyClick(form.YOUID_EDIT, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("1"));  // stepped from the stored value
  // A spin button of the other identifier moves the focus, selecting the stepped text.
  Type(form.YOUID_EDIT, QStringLiteral("42"));
  QTest::mouseClick(form.MYID_INC, Qt::LeftButton);
  EXPECT_EQ(form.Logic().YOUID_EDIT.Tag(), 42);
  EXPECT_EQ(QApplication::focusWidget(), form.MYID_EDIT);
  EXPECT_EQ(form.MYID_EDIT->selectedText(), QStringLiteral("1"));
  QTest::mouseClick(form.YOUID_EDIT, Qt::LeftButton, {}, QPoint(5, 10));
  EXPECT_EQ(form.YOUID_EDIT->selectedText(), QStringLiteral("42"));

  form.Logic().Panel10.SetVisible(false);
  form.Logic().Panel1.SetVisible(false);
  EXPECT_EQ(form.size(), QSize(310, 688));
}

TEST(ToolkitRules, RadioClickOnTheSelectedOptionDoesNothing) {
  test::TTestForm form;
  ASSERT_TRUE(test::ShowActive(form));
  form.Logic().Handy6.Select();
  EXPECT_TRUE(form.Handy6->isChecked());
  EXPECT_FALSE(form.Handy0->isChecked());
  // Qt reports a click and Space on the selected option: the count set since stays.
  form.Logic().THR_BAR.SetPosition(12);
  const QString comment = form.K_Comment->text();
  QTest::mouseClick(form.Handy6, Qt::LeftButton);
  QTest::keyClick(form.Handy6, Qt::Key_Space);
  EXPECT_EQ(form.THR_BAR->value(), 12);
  EXPECT_EQ(form.K_Comment->text(), comment);
  EXPECT_TRUE(form.Handy6->isChecked());
  // A user's click on another option runs that option's handler once.
  int runs = 0;
  QObject::connect(form.Handy3, &QRadioButton::toggled, [&](bool on) { runs += on; });
  QTest::mouseClick(form.Handy3, Qt::LeftButton);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(form.Logic().Handy3.Checked());
  EXPECT_FALSE(form.Logic().Handy6.Checked());
  EXPECT_FALSE(form.Handy6->isChecked());
  EXPECT_EQ(form.THR_BAR->value(), 8);
  // Inside the group the arrow keys choose the neighbour, which the logic takes as a click.
  QTest::keyClick(form.Handy3, Qt::Key_Down);
  EXPECT_TRUE(form.Logic().LevelOption(HandicapLevel::Handy4).Checked());
  EXPECT_EQ(form.THR_BAR->value(), 9);
}

const TControlDef& Row(std::string_view name) {
  for (const TControlDef& def : Layout())
    if (name == def.name) return def;
  throw std::logic_error("no such row");
}

// A selector of its own in a small window, away from the main window's handlers.
struct SelectorWindow {
  SelectorWindow() : box(new TQtCommBox(&window, Row("CommBox"))) {
    window.resize(300, 400);
    box->setGeometry(10, 10, 209, 18);
    std::vector<std::string> entries{"OFF"};
    for (int n = 1; n <= 30; ++n) entries.push_back("COM" + std::to_string(n));
    box->ShowItems(entries);
  }
  QWidget window;
  TQtCommBox* box;
};

TEST(ToolkitRules, SelectorRaisesDropDownBeforeTheListAndCloseUpWithTheNewSelection) {
  SelectorWindow w;
  ASSERT_TRUE(test::ShowActive(w.window));
  TQtCommBox* box = w.box;
  std::vector<int> closeUps;
  bool listShownAtDropDown = true;
  QObject::connect(box, &TQtCommBox::dropDown, [&] {
    listShownAtDropDown = box->view()->isVisible();
    box->ShowItems({"OFF", "COM3", "COM5", "COM9"});  // a handler may rebuild the list
    box->ShowSelected(0);
  });
  QObject::connect(box, &TQtCommBox::closeUp, [&] { closeUps.push_back(box->currentIndex()); });

  // Chosen with the keys: close-up sees the entry just chosen.
  box->showPopup();
  EXPECT_FALSE(listShownAtDropDown);
  ASSERT_TRUE(box->view()->isVisible());
  EXPECT_EQ(box->count(), 4);
  box->view()->setCurrentIndex(box->model()->index(2, 0));
  QTest::keyClick(box->view(), Qt::Key_Return);
  ASSERT_TRUE(test::WaitUntil([&] { return !closeUps.empty(); }));
  EXPECT_EQ(closeUps, std::vector<int>{2});
  EXPECT_EQ(box->currentText(), QStringLiteral("COM5"));

  // Closed without a choice (Escape): close-up runs all the same, once.
  box->showPopup();
  box->ShowSelected(2);
  QTest::keyClick(box->view(), Qt::Key_Escape);
  ASSERT_TRUE(test::WaitUntil([&] { return closeUps.size() == 2; }));
  QTest::qWait(50);
  EXPECT_EQ(closeUps, (std::vector<int>{2, 2}));

  // Closed by a click elsewhere in the window.
  box->showPopup();
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, QPoint(150, 300));
  ASSERT_TRUE(test::WaitUntil([&] { return closeUps.size() == 3; }));
  EXPECT_FALSE(box->view()->isVisible());
}

TEST(ToolkitRules, SelectorListShowsTwentyEntriesOfTwelvePixels) {
  SelectorWindow w;
  ASSERT_TRUE(test::ShowActive(w.window));
  w.box->showPopup();
  QAbstractItemView* view = w.box->view();
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->visualRect(w.box->model()->index(1, 0)).height(), 12);
  const int rows = view->viewport()->height() / 12;
  EXPECT_GE(rows, 19);
  EXPECT_LE(rows, 20);
  w.box->hidePopup();
}

TEST(ToolkitRules, CloseDuringANestedPumpWaitsForTheOutermostHandler) {
  test::TTestForm form;
  form.show();
  bool visibleAfterPump = false, visibleAfterInner = false;
  int depthInside = 0;
  QTimer::singleShot(0, &form, [&] {
    // A handler that waits as an exchange does, pumping messages, while the user closes the window.
    TBusyDepth::TGuard outer(form.Logic().Busy());
    QTimer::singleShot(0, &form, [&] { form.close(); });
    {
      TBusyDepth::TGuard inner(form.Logic().Busy());
      for (int i = 0; i < 20; ++i) form.Logic().ProcessMessages();
      depthInside = form.Logic().Busy().Depth();
    }
    visibleAfterInner = form.isVisible();
    for (int i = 0; i < 20; ++i) form.Logic().ProcessMessages();
    visibleAfterPump = form.isVisible();
  });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
  watchdog.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);  // the close took effect after the handler, ending the loop
  EXPECT_EQ(depthInside, 2);
  EXPECT_TRUE(visibleAfterInner);
  EXPECT_TRUE(visibleAfterPump);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.Logic().Busy().Pending());

  // Not busy: the close is at once.
  test::TTestForm second;
  second.show();
  second.close();
  EXPECT_FALSE(second.isVisible());
}

TEST(ToolkitRules, MainThreadRunsPostedTasksInOrderOnTheGuiThread) {
  TQtMainThread mainThread;
  std::vector<int> ran;
  bool wrongThread = false;
  const auto gui = std::this_thread::get_id();
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      mainThread.Post([&, i] {
        wrongThread |= std::this_thread::get_id() != gui;
        ran.push_back(i);
      });
    }
  });
  worker.join();
  EXPECT_TRUE(ran.empty());  // never inside Post
  ASSERT_TRUE(test::WaitUntil([&] {
    mainThread.ProcessMessages();
    return ran.size() == 100;
  }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], i);
  EXPECT_FALSE(wrongThread);
}

TEST(ToolkitRules, UncaughtFailureIsShownAndTheProgramGoesOn) {
  // The conversion error of a port name, in a box with the program's title.
  const test::SeenBox seen = test::CatchMessageBox([] { Guarded(&QtFailureBox(), [] { StrToInt("COMX"); }); });
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_EQ(seen.title, QStringLiteral("test_ui"));
  EXPECT_EQ(seen.text, QStringLiteral("'COMX' は整数ではありません."));

  // From a key in an edit: reported, and the edit goes on taking keys.
  test::TTestForm form;
  ShowHiddenPanels(form);
  ASSERT_TRUE(test::ShowActive(form));
  int keys = 0;
  form.Logic().YOUID_EDIT.OnKeyDown = [&](TControl&, int&) {
    if (++keys == 1) throw std::runtime_error("broken (first key)");
  };
  form.YOUID_EDIT->setFocus();
  form.YOUID_EDIT->clear();
  const test::SeenBox fromEvent = test::CatchMessageBox([&] { QTest::keyClicks(form.YOUID_EDIT, "ab"); });
  ASSERT_TRUE(fromEvent.shown);
  EXPECT_EQ(fromEvent.text, QStringLiteral("broken (first key)"));
  EXPECT_EQ(fromEvent.title, QStringLiteral("test_ui"));
  EXPECT_EQ(keys, 2);
  EXPECT_EQ(form.YOUID_EDIT->text(), QStringLiteral("ab"));
  EXPECT_EQ(form.Logic().YOUID_EDIT.Text(), "ab");

  // Escaping every handler (a timer's function): the application's default handler shows it.
  const test::SeenBox fromLoop = test::CatchMessageBox(
      [] { QTimer::singleShot(0, [] { throw std::runtime_error("ポートが見つかりません"); }); });
  ASSERT_TRUE(fromLoop.shown);
  EXPECT_EQ(fromLoop.text, QStringLiteral("ポートが見つかりません."));
  EXPECT_EQ(fromLoop.icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace kx71
