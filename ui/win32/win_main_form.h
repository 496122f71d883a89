// The window on Windows: the main window hosting the native controls (ui/win32/win_controls.h)
// built from the layout table and bound to the window's logic (ui/form). The controls only show
// the logic's state and pass on what the user does; the window keeps the registry of controls,
// routes messages to them, and applies the logic's rules that need the whole window: the Tab chain
// and the option groups' arrows, the client size, the close-up read from a posted message, closing.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/form/form_host.h"
#include "ui/form/main_form.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win_controls.h"
#include "ui/win32/win_main_thread.h"
#include "ui/win32/win_resources.h"

namespace kx71 {

// Control identifiers: the row's index in the layout table plus this (the probe of the window
// tests finds controls by them).
inline constexpr int kFirstControlId = 100;
inline constexpr wchar_t kMainWindowClass[] = L"KX71VantorManager";

class TWinMainForm final : public TFormHost, private TWinHost {
 public:
  // Builds the window and its controls (hidden) and runs FormCreate.
  explicit TWinMainForm(TCommXEnvironment commEnvironment = {});
  ~TWinMainForm() override;
  TWinMainForm(const TWinMainForm&) = delete;
  TWinMainForm& operator=(const TWinMainForm&) = delete;

  // Shows the window centred on the screen, with the focus on the port selector.
  void Show();
  // The message loop until the window has closed; the program's exit code.
  int Run();

  HWND Handle() const { return hwnd_; }
  TMainForm& Form() override { return *form_; }
  // The native control of a row, or nullptr.
  HWND Native(std::string_view name) const;

  // TFormHost
  TMainThread& MainThread() override { return mainThread_; }
  void FocusControl(TControl& control) override;
  void CloseWindow() override;
  void PostCloseWindow() override;
  std::string ProgramFileName() override;
  void ShowFailureBox(const std::string& caption, const std::string& text) override;

 private:
  // TWinHost
  TWinResources& Resources() override { return resources_; }
  const TScale& Scale() const override { return scale_; }
  void Realise(TWinControl& panel) override;
  void PanelsChanged() override;
  void PostCloseUp(TWinControl& box) override;
  TWinControl* FromHwnd(HWND hwnd) const override;
  void Forget(HWND hwnd) override { byHwnd_.erase(hwnd); }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static BOOL CALLBACK AnswerBoxOf(HWND hwnd, LPARAM lp);
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Messages about a child control, which its parent (a panel or the window) receives.
  std::optional<LRESULT> OnChildMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool Filter(MSG& msg);

  void CreateControls();
  bool Make(TWinControl& c, HWND parent);
  TWinControl* FromId(int id) const;
  SIZE FittedWindowSize() const;
  static POINT CentredPlace(SIZE size);  // a window of `size` centred on the screen's work area
  void Fit(HWND hwnd);  // the client area to the logic's size
  // The window moved to a monitor of another DPI: every native control and font follows, and the
  // window takes the place Windows suggests, at its fitted size.
  void DpiChanged(int dpi, const RECT& suggested);
  void UndoFrame();     // after the change under way: the frame back to the fitted size

  TWinMainThread mainThread_;
  TWinResources resources_;
  HWND hwnd_ = nullptr;
  TScale scale_;  // the window's monitor's DPI over 96
  std::vector<std::unique_ptr<TWinControl>> controls_;  // in table order, the panels' painted rows left out
  std::map<HWND, TWinControl*> byHwnd_;
  bool bound_ = false;  // the views are bound: controls made later bind at once
  bool closing_ = false;
  int boxesOpen_ = 0;          // failure boxes up (each runs a message loop of its own)
  bool closeAfterBox_ = false;  // a close that came while one was up
  bool undoPosted_ = false;
  std::unique_ptr<TMainForm> form_;  // last: its port closes before the native controls go
};

}  // namespace kx71
