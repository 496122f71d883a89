#include "ui/win32/win_controls.h"

#include <commctrl.h>

#include "ui/win32/wide_text.h"
#include "ui/win32/win_control_kinds.h"

namespace kx71 {

bool TWinControl::Create(HWND parent, int id) {
  const TCreateParams params = CreateParams();
  const TBounds at = host_.Scale().Bounds(def_);
  const SIZE size = Size(parent);
  hwnd_ = CreateWindowExW(params.exStyle, params.cls, Widen(NativeText()).c_str(), params.style, at.x, at.y, size.cx,
                          params.height != 0 ? params.height : size.cy, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  Setup();
  if (Subclassed()) SetWindowSubclass(hwnd_, &TWinControl::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void TWinControl::Rescale() {
  if (hwnd_ == nullptr) return;
  // The font first: a caption sized to its text is measured in it.
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  const TCreateParams params = CreateParams();
  const TBounds at = host_.Scale().Bounds(def_);
  const SIZE size = Size(GetParent(hwnd_));
  SetWindowPos(hwnd_, nullptr, at.x, at.y, size.cx, params.height != 0 ? params.height : size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Scaled();
}

HBRUSH TWinControl::Colour(HDC dc) {
  const COLORREF back = ToColorRef(def_.colour, GetSysColor(COLOR_BTNFACE));
  SetBkColor(dc, back);
  SetTextColor(dc, ToColorRef(def_.textColour, GetSysColor(COLOR_WINDOWTEXT)));
  return host_.Resources().Brush(back);
}

std::optional<LRESULT> TWinControl::Message(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_SETFOCUS || !Subclassed() || control_ == nullptr) return std::nullopt;
  FocusArrived(reinterpret_cast<HWND>(wp));
  if (!TakesFocus(def_.kind)) return 0;  // the button does not show or report a focus it gave back
  return std::nullopt;
}

void TWinControl::FocusArrived(HWND from) {
  if (TakesFocus(def_.kind)) {
    host_.Form().UserFocused(*control_);
  } else if (from != nullptr && IsWindow(from)) {
    SetFocus(from);
  }
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TWinControl*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &TWinControl::SubclassProc, 1);
    self->host_.Forget(hwnd);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (const auto result = self->Message(msg, wp, lp)) return *result;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

std::unique_ptr<TWinControl> MakeWinControl(TWinHost& host, const TControlDef& def, TControl* control) {
  switch (def.kind) {
    case TControlKind::Panel:
      return MakeWinPanel(host, def, control);
    case TControlKind::Caption:
      return MakeWinLabel(host, def, control);
    case TControlKind::FilledLabel:
    case TControlKind::Picture:
      return nullptr;  // painted by their panel (win_backdrop.h)
    case TControlKind::StaticText:
      return MakeWinComment(host, def, control);
    case TControlKind::Option:
      return MakeWinOption(host, def, control);
    case TControlKind::ComboBox:
      return MakeWinComboBox(host, def, control);
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      return MakeWinButton(host, def, control);
    case TControlKind::Edit:
      return MakeWinEdit(host, def, control);
    case TControlKind::Bar:
      return MakeWinBar(host, def, control);
  }
  return nullptr;
}

WNDCLASSEXW WindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  return wc;
}

}  // namespace kx71
