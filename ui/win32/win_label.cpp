// Captions: native static controls.
#include "ui/win32/win_control_kinds.h"

#include "ui/win32/wide_text.h"

namespace kx71 {
namespace {

// Captions: sized to their text, in their panel's colour.
class TWinLabel final : public TWinControl, public TLabel::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override {
    if (auto* label = dynamic_cast<TLabel*>(control_)) label->Bind(this);
  }
  void ShowText(const std::string& text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
  HBRUSH Colour(HDC dc) override {
    COLORREF back = ToColorRef(def_.colour, GetSysColor(COLOR_BTNFACE));
    if (def_.kind == TControlKind::Caption) {
      if (TWinControl* panel = host_.FromHwnd(GetParent(hwnd_))) back = ToColorRef(panel->Def().colour, back);
    }
    SetBkColor(dc, back);
    SetTextColor(dc, ToColorRef(def_.textColour, GetSysColor(COLOR_WINDOWTEXT)));
    return host_.Resources().Brush(back);
  }

 protected:
  TCreateParams CreateParams() const override { return {L"STATIC", kChild | WS_VISIBLE | SS_LEFT | SS_NOPREFIX}; }
  SIZE Size(HWND parent) const override {
    const SIZE bounds = TWinControl::Size(parent);
    if (def_.kind != TControlKind::Caption || (def_.w != kFitted && def_.h != kFitted)) return bounds;
    const std::wstring text = Widen(def_.caption);
    HDC dc = GetDC(parent);
    const HGDIOBJ old = SelectObject(dc, Font());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(parent, dc);
    return {def_.w == kFitted ? extent.cx : bounds.cx, def_.h == kFitted ? extent.cy : bounds.cy};
  }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinLabel(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinLabel>(host, def, control);
}

}  // namespace kx71
