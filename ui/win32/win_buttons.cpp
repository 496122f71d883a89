// Option buttons, and the owner-drawn picture and flat buttons.
#include "ui/win32/win_control_kinds.h"

#include "ui/win32/wide_text.h"
#include "ui/win32/win_paint.h"

namespace kx71 {
namespace {

class TWinOption final : public TWinControl, public TOption::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { static_cast<TOption*>(control_)->Bind(this); }
  void ShowChecked(bool checked) override {
    updating_ = true;
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    updating_ = false;
  }
  void Notify(int code) override {
    if (code == BN_SETFOCUS) host_.Form().UserFocused(*control_);
    // Windows reports a click on the option that is already checked as well (and a quick second
    // click as a double click): the logic runs the click only for a newly chosen one.
    if (!updating_ && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) static_cast<TOption*>(control_)->UserClicked();
  }

 protected:
  // Not AUTO: the logic decides what is checked.
  TCreateParams CreateParams() const override { return {L"BUTTON", kChild | WS_VISIBLE | BS_RADIOBUTTON | BS_NOTIFY}; }
};

// Picture and flat buttons, both owner-drawn. A flat button never takes the focus: the editor it
// steps keeps it.
class TWinButton final : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void Notify(int code) override {
    if (code == BN_SETFOCUS) host_.Form().UserFocused(*control_);
    // The second click of a quick pair comes as a double click on these buttons: a click all the same.
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED) static_cast<TButton*>(control_)->UserClicked();
  }
  void DrawItem(const DRAWITEMSTRUCT& item) override {
    if (def_.kind == TControlKind::PictureButton) {
      DrawPictureButton(item, host_.Resources().Artwork(def_.resource), host_.Scale().GlyphFactor());
      return;
    }
    const TFlatButtonLook look{Font(),
                               ToColorRef(def_.textColour, GetSysColor(COLOR_BTNTEXT)), def_.Has(kCaptionAtLeft)};
    DrawFlatButton(item, look, Widen(def_.caption));
  }

 protected:
  TCreateParams CreateParams() const override {
    return {L"BUTTON", kChild | WS_VISIBLE | BS_OWNERDRAW | BS_NOTIFY | (TakesFocus(def_.kind) ? WS_TABSTOP : 0u)};
  }
  bool Subclassed() const override { return !TakesFocus(def_.kind); }
  // A picture has no caption to read out: the window's name for it, never painted.
  const char* NativeText() const override {
    return def_.kind == TControlKind::PictureButton ? def_.accessible : def_.caption;
  }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinOption(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinOption>(host, def, control);
}

std::unique_ptr<TWinControl> MakeWinButton(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinButton>(host, def, control);
}

}  // namespace kx71
