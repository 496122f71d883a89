// The end-to-end fixture: a real window on the offscreen platform, simulated units published as
// COM ports through a private device map, and the user's gestures on the window.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/settings_block.h"
#include "pty_line.h"
#include "sim_process.h"
#include "test_form.h"

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace kx71::e2e {

// What the window holds: the editors' values, the selected level and the comment.
struct WindowState {
  SettingsValues values;
  int level = -1;  // index of the selected level option
  QString comment;
  bool operator==(const WindowState&) const = default;
};
WindowState Snapshot(const test::TTestForm& form);

// The simulated unit's command-line argument for a stored block.
std::string BlockArg(const SettingsValues& values);

// Frames the unit received that begin with `command` (0xE5 read, 0xF5 write).
std::vector<Frame> Requests(const TSimProcess& unit, std::uint8_t command);

// Open descriptors and threads of this process.
int OpenDescriptors();
int Threads();

class E2ETest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts a simulated unit as COM<port> (9600 bit/s pacing unless `args` says otherwise).
  TSimProcess& StartUnit(int port, std::vector<std::string> args = {});

  // The user opens the selector's list, picks `entry` with the arrow keys and Return (or, when
  // `entry` is not listed, closes the list with Escape), and the close-up has run. False when the
  // list did not open or `entry` was not listed.
  // Opens the selector's list by a click; its view once shown, else nullptr.
  QAbstractItemView* OpenList();
  bool ChoosePort(const QString& entry);
  // The same with the mouse: a click on the selector, then on the entry (after the double-click
  // interval, within which the list ignores clicks).
  bool ChoosePortWithMouse(const QString& entry);
  // The user opens the list and closes it again with Escape.
  bool DropAndDismiss();
  // A mouse click on a button; returns once its handler has returned.
  void Click(QAbstractButton* button);
  // Runs `action` once, from the message pump, while an exchange of the window waits for its reply.
  void DuringWait(std::function<void()> action);
  bool RanDuringWait() const { return ranDuringWait_; }

  QString InfoLine() const { return form->MON_EDIT->text(); }
  // Every text the information line has shown since the last ClearInfoLog, in order.
  const std::vector<QString>& InfoLog() const { return infoLog_; }
  // Empties the information line and the log, so that each text shown afterwards is a change.
  void ClearInfoLog();
  // Clicks read and then write, expecting both to fail and the read to leave the window as it was;
  // the window's state before the clicks.
  WindowState BothCommandsFail();

  TPtyDeviceMap map;  // declared first: outlives the units and the window
  std::vector<std::unique_ptr<TSimProcess>> units;
  std::unique_ptr<test::TTestForm> form;

 private:
  std::vector<QString> infoLog_;
  int closeUps_ = 0;
  QTimer waitWatch_;
  std::function<void()> waitAction_;
  bool ranDuringWait_ = false;
};

}  // namespace kx71::e2e
