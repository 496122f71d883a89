// The window on Windows: user32/comctl32/gdi32 controls built from the layout table and bound to
// the window's logic (ui/form). The native controls only show the logic's state and pass on what
// the user does; the toolkit quirks are handled here (the close-up read from a posted message, the
// option that is already checked, scroll bars that do not move themselves, the Tab chain, a client
// area kept at its fitted size).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/form/form_host.h"
#include "ui/form/main_form.h"
#include "ui/win32/win_main_thread.h"

namespace kx71 {

// Control identifiers: the row's index in the layout table plus this (the probe of the window
// tests finds controls by them).
inline constexpr int kFirstControlId = 100;
inline constexpr wchar_t kMainWindowClass[] = L"KX71VantorManager";

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

class TWinMainForm final : public TFormHost {
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
  TMainForm& Form() { return *form_; }
  // The native control of a row, or nullptr.
  HWND Native(std::string_view name) const;

  // TFormHost
  TMainThread& MainThread() override { return mainThread_; }
  void FocusControl(TControl& control) override;
  void CloseWindow() override;
  void PostCloseWindow() override;
  std::string ProgramFileName() override;
  void ShowFailureBox(const std::string& caption, const std::string& text) override;

  struct TNative;  // one native control and its view

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  static BOOL CALLBACK AnswerBoxOf(HWND hwnd, LPARAM lp);
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnControlMessage(TNative& n, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool Filter(MSG& msg);

  void CreateControls();
  // Makes a panel's native window and its controls' (the hidden panels' when first shown).
  void Realise(TNative& panel);
  bool Make(TNative& n, HWND parent, int id);
  void Bind(TNative& n);
  HWND CreateNative(const TControlDef& def, HWND parent, int id);
  TNative* FromHwnd(HWND hwnd) const;
  TNative* FromId(int id) const;
  void OnCommand(TNative& n, int code);
  void OnScroll(TNative& n, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HBRUSH OnColour(HDC dc, HWND control);
  HFONT Font(const TFontSpec& look);
  HBRUSH Brush(COLORREF colour);
  HBITMAP Artwork(const char* resource);
  SIZE FittedWindowSize() const;

  TWinMainThread mainThread_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<TNative>> natives_;  // in table order
  std::map<HWND, TNative*> byHwnd_;
  std::map<std::tuple<int, int, bool>, HFONT> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::string, HBITMAP> artwork_;
  bool shown_ = false;
  bool bound_ = false;  // the views are bound: controls made later bind at once
  bool closing_ = false;
  int boxesOpen_ = 0;          // failure boxes up (each runs a message loop of its own)
  bool closeAfterBox_ = false;  // a close that came while one was up
  std::unique_ptr<TMainForm> form_;  // last: its port closes before the native controls go
};

}  // namespace kx71
