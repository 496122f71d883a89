// Helpers shared by the window tests.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>

namespace kx71::test {

// Shows `window`, makes it the active window and waits until it is (focus events need it).
bool ShowActive(QWidget& window);

// Processes events until `done` holds or `timeout` passes; the final value of `done`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// What a modal message box showed.
struct SeenBox {
  bool shown = false;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

// Runs `trigger`; the first message box that opens meanwhile is recorded and closed with OK.
SeenBox CatchMessageBox(const std::function<void()>& trigger);

}  // namespace kx71::test
