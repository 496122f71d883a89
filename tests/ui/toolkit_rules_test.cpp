// The toolkit behaviours the window relies on: bar positions, radio selection from code and by
// clicks, the selector's drop-down and close-up, the nested message pump with its deferred close,
// and the report of an uncaught failure.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "protocol/int_text.h"
#include "ui/failure_report.h"
#include "ui/main_form.h"
#include "ui/qt_main_thread.h"
#include "ui_test_support.h"

namespace kx71 {
namespace {

void ShowHiddenPanels(TMainForm& form) {
  for (QFrame* p : {form.Panel1, form.Panel2, form.Panel3, form.Panel4, form.Panel5, form.Panel6, form.Panel7,
                    form.Panel8, form.Panel9, form.Panel10, form.Panel11, form.Panel12, form.Panel13}) {
    SetPanelShown(p, true);
  }
}

TEST(ToolkitRules, BarPositionIsLimitedAndOnlyARealChangeRunsTheHandler) {
  TMainForm form;
  QSignalSpy changes(form.THR_BAR, &QScrollBar::valueChanged);
  form.THR_BAR->setValue(300);
  EXPECT_EQ(form.THR_BAR->value(), 250);
  EXPECT_EQ(form.THR_EDIT->text(), QStringLiteral("250"));
  form.THR_EDIT->setText(QStringLiteral("edited"));
  form.THR_BAR->setValue(250);  // no change: the handler does not run
  form.THR_BAR->setValue(999);  // limited to the position it already has
  EXPECT_EQ(form.THR_EDIT->text(), QStringLiteral("edited"));
  form.THR_BAR->setValue(-5);
  EXPECT_EQ(form.THR_BAR->value(), 1);
  EXPECT_EQ(changes.count(), 2);

  // The keys move a shown bar the way the arrows point.
  ShowHiddenPanels(form);
  ASSERT_TRUE(test::ShowActive(form));
  form.LAST_BAR->setFocus();
  QTest::keyClick(form.LAST_BAR, Qt::Key_Right);
  QTest::keyClick(form.LAST_BAR, Qt::Key_Right);
  QTest::keyClick(form.LAST_BAR, Qt::Key_Left);
  EXPECT_EQ(form.LAST_BAR->value(), 1);
  EXPECT_EQ(form.LAST_EDIT->text(), QStringLiteral("1"));
  // Leaving a bar runs its handler too.
  form.LAST_EDIT->setText(QStringLiteral("stale"));
  form.MODE_BAR->setFocus();
  EXPECT_EQ(form.LAST_EDIT->text(), QStringLiteral("1"));
}

TEST(ToolkitRules, RadioFromCodeRunsItsHandlerOnlyWhenNotSelected) {
  TMainForm form;
  ASSERT_TRUE(test::ShowActive(form));
  // From code, not selected: the group follows and the handler runs as for a click.
  SelectOption(form.Handy6);
  EXPECT_TRUE(form.Handy6->isChecked());
  EXPECT_FALSE(form.Handy0->isChecked());
  EXPECT_EQ(form.THR_BAR->value(), 15);
  EXPECT_TRUE(form.OT_OFF->isChecked());  // other groups are untouched
  // From code and by a user's click, already selected: nothing happens.
  form.THR_BAR->setValue(12);
  const QString comment = form.K_Comment->text();
  SelectOption(form.Handy6);
  QTest::mouseClick(form.Handy6, Qt::LeftButton);
  QTest::keyClick(form.Handy6, Qt::Key_Space);
  EXPECT_EQ(form.THR_BAR->value(), 12);
  EXPECT_EQ(form.K_Comment->text(), comment);
  // A user's click on another option runs that option's handler once.
  int runs = 0;
  QObject::connect(form.Handy3, &QRadioButton::toggled, [&](bool on) { runs += on; });
  QTest::mouseClick(form.Handy3, Qt::LeftButton);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(form.Handy3->isChecked());
  EXPECT_FALSE(form.Handy6->isChecked());
  EXPECT_EQ(form.THR_BAR->value(), 8);
}

// A selector of its own in a small window, away from the main window's handlers.
struct SelectorWindow {
  SelectorWindow() : box(new TCommBox(&window)) {
    window.resize(300, 400);
    box->setGeometry(10, 10, 209, 18);
    std::vector<std::string> entries{"OFF"};
    for (int n = 1; n <= 30; ++n) entries.push_back("COM" + std::to_string(n));
    box->Assign(entries);
  }
  QWidget window;
  TCommBox* box;
};

TEST(ToolkitRules, SelectorRaisesDropDownBeforeTheListAndCloseUpWithTheNewSelection) {
  SelectorWindow w;
  ASSERT_TRUE(test::ShowActive(w.window));
  TCommBox* box = w.box;
  std::vector<int> closeUps;
  bool listShownAtDropDown = true;
  QObject::connect(box, &TCommBox::dropDown, [&] {
    listShownAtDropDown = box->view()->isVisible();
    const std::string chosen = box->SelectedText();  // a handler may rebuild the list
    box->Assign({"COM3", "COM5", "COM9"});
    box->Insert0("OFF");
    box->Select(std::max(0, box->IndexOfIgnoreCase(chosen)));
  });
  QObject::connect(box, &TCommBox::closeUp, [&] { closeUps.push_back(box->currentIndex()); });

  // Chosen with the keys: close-up sees the entry just chosen.
  box->showPopup();
  EXPECT_FALSE(listShownAtDropDown);
  ASSERT_TRUE(box->view()->isVisible());
  EXPECT_EQ(box->count(), 4);
  box->view()->setCurrentIndex(box->model()->index(2, 0));
  QTest::keyClick(box->view(), Qt::Key_Return);
  ASSERT_TRUE(test::WaitFor([&] { return !closeUps.empty(); }));
  EXPECT_EQ(closeUps, std::vector<int>{2});
  EXPECT_EQ(box->SelectedText(), "COM5");

  // Closed without a choice (Escape): close-up runs all the same, once.
  box->showPopup();
  QTest::keyClick(box->view(), Qt::Key_Escape);
  ASSERT_TRUE(test::WaitFor([&] { return closeUps.size() == 2; }));
  QTest::qWait(50);
  EXPECT_EQ(closeUps, (std::vector<int>{2, 2}));

  // Closed by a click elsewhere in the window.
  box->showPopup();
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, QPoint(150, 300));
  ASSERT_TRUE(test::WaitFor([&] { return closeUps.size() == 3; }));
  EXPECT_FALSE(box->view()->isVisible());

  // The list operations RefreshCommList uses.
  EXPECT_EQ(box->IndexOfIgnoreCase("com9"), 3);
  EXPECT_EQ(box->IndexOfIgnoreCase("COM4"), -1);
  box->Select(3);
  EXPECT_EQ(box->SelectedText(), "COM9");
  box->Clear();
  EXPECT_EQ(box->SelectedText(), "");
  EXPECT_EQ(box->count(), 0);
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
  TMainForm form;
  form.show();
  bool visibleAfterPump = false, visibleAfterInner = false;
  int depthInside = 0;
  QTimer::singleShot(0, &form, [&] {
    // A handler that waits as an exchange does, pumping messages, while the user closes the window.
    TBusyDepth::TGuard outer(form.Busy());
    QTimer::singleShot(0, &form, [&] { form.close(); });
    {
      TBusyDepth::TGuard inner(form.Busy());
      for (int i = 0; i < 20; ++i) form.MainThread().ProcessMessages();
      depthInside = form.Busy().Depth();
    }
    visibleAfterInner = form.isVisible();
    for (int i = 0; i < 20; ++i) form.MainThread().ProcessMessages();
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
  EXPECT_FALSE(form.Busy().Pending());

  // Not busy: the close is at once.
  TMainForm second;
  second.show();
  second.close();
  EXPECT_FALSE(second.isVisible());
}

TEST(ToolkitRules, MainThreadRunsPostedTasksInOrderOnTheGuiThread) {
  TBusyDepth busy;
  TQtMainThread mainThread(&busy);
  std::vector<int> ran;
  std::atomic<bool> postedAll{false};
  bool wrongThread = false, notBusy = false;
  const auto gui = std::this_thread::get_id();
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      mainThread.Post([&, i] {
        wrongThread |= std::this_thread::get_id() != gui;
        notBusy |= !busy.Busy();
        ran.push_back(i);
      });
    }
    postedAll = true;
  });
  worker.join();
  EXPECT_TRUE(ran.empty());  // never inside Post
  ASSERT_TRUE(test::WaitFor([&] {
    mainThread.ProcessMessages();
    return ran.size() == 100;
  }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], i);
  EXPECT_FALSE(wrongThread);
  EXPECT_FALSE(notBusy);  // ProcessMessages holds the busy depth while the tasks run
  EXPECT_FALSE(busy.Busy());
}

TEST(ToolkitRules, UncaughtFailureIsShownAndTheProgramGoesOn) {
  EXPECT_EQ(TitleFromFileName(QStringLiteral("KX71-Vantor.Manager.exe")), QStringLiteral("Kx71-vantor"));
  EXPECT_EQ(TitleFromFileName(QStringLiteral("kx71-vantor-manager")), QStringLiteral("kx71-vantor-manager"));
  EXPECT_EQ(TitleFromFileName(QStringLiteral("ABC")), QStringLiteral("Abc"));
  EXPECT_EQ(WithFullStop(QStringLiteral("Port failed")), QStringLiteral("Port failed."));
  EXPECT_EQ(WithFullStop(QStringLiteral("COM3")), QStringLiteral("COM3."));
  for (const char* unchanged : {"Done.", "Stop!", "(in brackets)", ""}) {
    EXPECT_EQ(WithFullStop(QString::fromUtf8(unchanged)), QString::fromUtf8(unchanged)) << unchanged;
  }
  EXPECT_EQ(WithFullStop(QStringLiteral("Done-")), QStringLiteral("Done-"));  // '-' sorts before '.'
  EXPECT_EQ(WithFullStop(QStringLiteral("Done/")), QStringLiteral("Done/."));

  // From a handler: the conversion error of a port name, in a box with the program's title.
  const test::SeenBox seen = test::CatchMessageBox([] { Guarded([] { StrToInt("COMX"); }); });
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_EQ(seen.title, QStringLiteral("test_ui"));
  EXPECT_EQ(seen.title, ApplicationTitle());
  EXPECT_EQ(seen.text, QStringLiteral("'COMX' は整数ではありません."));

  // From an edit's event: reported, and the edit goes on taking keys.
  TEdit edit(nullptr);
  int keys = 0;
  edit.OnKeyDown = [&](QObject*, int& key) {
    if (++keys == 1) throw std::runtime_error("broken (first key)");
    (void)key;
  };
  const test::SeenBox fromEvent = test::CatchMessageBox([&] { QTest::keyClicks(&edit, "ab"); });
  ASSERT_TRUE(fromEvent.shown);
  EXPECT_EQ(fromEvent.text, QStringLiteral("broken (first key)"));
  EXPECT_EQ(keys, 2);
  EXPECT_EQ(edit.text(), QStringLiteral("ab"));

  // Escaping every handler (a timer's function): the application's default handler shows it.
  const test::SeenBox fromLoop = test::CatchMessageBox(
      [] { QTimer::singleShot(0, [] { throw std::runtime_error("ポートが見つかりません"); }); });
  ASSERT_TRUE(fromLoop.shown);
  EXPECT_EQ(fromLoop.text, QStringLiteral("ポートが見つかりません."));
  EXPECT_EQ(fromLoop.icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace kx71
