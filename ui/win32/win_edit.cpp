// The value editors: single-line edits whose keys go through the logic first.
#include "ui/win32/win_control_kinds.h"

#include <commctrl.h>

#include "ui/win32/wide_text.h"

namespace kx71 {
namespace {

// The key codes the handlers know; every other key passes as kKeyOther.
int KeyCode(WPARAM key) {
  switch (key) {
    case VK_RETURN:
      return kKeyReturn;
    case VK_UP:
      return kKeyUp;
    case VK_DOWN:
      return kKeyDown;
    default:
      return kKeyOther;
  }
}

class TWinEdit final : public TWinControl, public TEdit::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { Edit().Bind(this); }
  void ShowText(const std::string& text) override {
    updating_ = true;
    SetWindowTextW(hwnd_, Widen(text).c_str());
    updating_ = false;
  }
  void SelectAll() override { SendMessageW(hwnd_, EM_SETSEL, 0, -1); }
  void Notify(int code) override {
    if (!updating_ && code == EN_CHANGE) Edit().UserTyped(Narrow(WindowText(hwnd_)));
  }
  HBRUSH Colour(HDC dc) override {
    const COLORREF back = ToColorRef(def_.colour, GetSysColor(COLOR_WINDOW));
    SetBkColor(dc, back);
    SetTextColor(dc, ToColorRef(def_.textColour, GetSysColor(COLOR_WINDOWTEXT)));
    return host_.Resources().Brush(back);
  }
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_KEYDOWN:
        if (!Edit().UserKeyDown(KeyCode(wp))) return 0;
        break;
      case WM_CHAR:
        if (wp < 0x80 && wp != '\t') {
          if (!Edit().UserKeyPress(static_cast<char>(wp))) return 0;
          if (wp == '\r') return 0;  // a single-line edit would only beep
        }
        break;
      case WM_LBUTTONUP: {
        const LRESULT result = DefSubclassProc(hwnd_, msg, wp, lp);
        Edit().UserMouseUp();
        return result;
      }
      default:
        break;
    }
    return TWinControl::Message(msg, wp, lp);
  }

 protected:
  TCreateParams CreateParams() const override {
    DWORD style = kChild | WS_VISIBLE | ES_AUTOHSCROLL | ES_LEFT;
    if (!def_.Has(kNoTabStop)) style |= WS_TABSTOP;
    if (def_.font.capitals) style |= ES_UPPERCASE;  // shown so; the text as set stays in the logic
    return {L"EDIT", style, WS_EX_CLIENTEDGE};
  }
  bool Subclassed() const override { return true; }  // keys and focus come only to the edit

 private:
  TEdit& Edit() const { return *static_cast<TEdit*>(control_); }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinEdit(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinEdit>(host, def, control);
}

}  // namespace kx71
