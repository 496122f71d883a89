// A front end made of plain fakes: every control gets a view that remembers what it was told to
// show, and the host's message pump runs the tasks a test queues (and a hook), so the window's
// logic runs natively, without a toolkit or a display.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "comm/plain_main_thread.h"
#include "ui/form/main_form.h"

namespace kx71::test {

// What the logic last showed on one control.
struct TFakeView : TPanel::View, TLabel::View, TEdit::View, TBar::View, TOption::View, TComboBox::View {
  void ShowVisible(bool v) override { visible = v; }
  void ShowText(const std::string& t) override {
    text = t;
    texts.push_back(t);
  }
  void SelectAll() override { selectedAll = text; }
  void ShowPosition(int p) override { position = p; }
  void ShowChecked(bool c) override { checked = c; }
  void ShowItems(const std::vector<std::string>& i) override { items = i; }
  void ShowSelected(int i) override { selected = i; }

  bool visible = false, checked = false;
  std::string text, selectedAll = "<none>";
  std::vector<std::string> texts;  // every text shown, in order
  int position = -1, selected = -2;
  std::vector<std::string> items;
};

class TFakeWindow : public TFormHost, public TMainThread {
 public:
  explicit TFakeWindow(TCommXEnvironment environment = {});

  TMainForm& form() { return *form_; }
  TFakeView& View(const TControl& control) { return *views_.at(&control); }

  // TMainThread: the plain queue, safe from the component's workers.
  void Post(std::function<void()> task) override { queue_.Post(std::move(task)); }
  // Runs the hook, then the tasks posted so far.
  void ProcessMessages() override;
  std::function<void()> onPump;
  int pumps = 0;

  // TFormHost
  TMainThread& MainThread() override { return *this; }
  void FocusControl(TControl& control) override { focusMoves.push_back(control.Name()); }
  void CloseWindow() override;  // as a native close: asks the logic, closes if it may
  void PostCloseWindow() override {
    Post([this] { CloseWindow(); });
  }
  std::string ProgramFileName() override { return programFile; }
  void ShowFailureBox(const std::string& caption, const std::string& text) override {
    boxes.push_back({caption, text});
  }

  std::vector<std::string> focusMoves;
  bool closed = false;
  std::string programFile = "KX71-Vantor.Manager.exe";
  std::vector<std::pair<std::string, std::string>> boxes;

 private:
  TPlainMainThread queue_;
  std::map<const TControl*, std::unique_ptr<TFakeView>> views_;
  std::unique_ptr<TMainForm> form_;
};

// Counts each call of `handler` in `calls`, then runs what it ran before.
inline void CountCalls(TNotifyEvent& handler, int& calls) {
  handler = [&calls, inner = handler](TControl& sender) {
    ++calls;
    inner(sender);
  };
}

}  // namespace kx71::test
