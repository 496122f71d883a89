// The native Windows controls that carry the window's controls, one view class per kind: each makes
// its native window from its layout row, shows its control's state in the window's logic
// (ui/form/controls.h), passes on what the user does, and paints itself where Windows does not.
// Built by MakeWinControl; the window (win_main_form.h) keeps them and routes messages to them.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <optional>

#include "ui/form/main_form.h"
#include "ui/form/scale.h"
#include "ui/win32/win_resources.h"

namespace kx71 {

class TWinControl;

// What a native control asks of the window that holds it.
class TWinHost {
 public:
  virtual ~TWinHost() = default;
  virtual TMainForm& Form() = 0;
  virtual TWinResources& Resources() = 0;
  // The window's display scale: every control is placed, sized and lettered by it.
  virtual const TScale& Scale() const = 0;
  // Makes the native controls of a panel shown for the first time (hidden panels are made late).
  virtual void Realise(TWinControl& panel) = 0;
  // A panel was shown or hidden: the client area follows the logic's size.
  virtual void PanelsChanged() = 0;
  // The selector's list closed: its selection is read from a message posted now.
  virtual void PostCloseUp(TWinControl& box) = 0;
  virtual TWinControl* FromHwnd(HWND hwnd) const = 0;
  virtual void Forget(HWND hwnd) = 0;  // a native window is being destroyed
};

class TWinControl {
 public:
  TWinControl(TWinHost& host, const TControlDef& def, TControl* control)
      : host_(host), def_(def), control_(control) {}
  virtual ~TWinControl() = default;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;

  const TControlDef& Def() const { return def_; }
  TControl* Control() const { return control_; }
  HWND Handle() const { return hwnd_; }

  // Makes the native window on `parent` with the control id `id`; false when Windows refuses.
  bool Create(HWND parent, int id);
  // The window's scale changed: the native window takes its place, size and font at the new one.
  void Rescale();
  // Gives the logic control this view, which shows its state at once.
  virtual void Bind() {}

  // Notifications the parent receives about this control.
  virtual void Notify(int /*code*/) {}  // WM_COMMAND
  virtual void Scroll(int /*code*/) {}  // WM_HSCROLL
  virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  virtual HBRUSH Colour(HDC dc);  // WM_CTLCOLOR*
  // The message posted at the selector's close-up arrived: the notifications around it are in.
  virtual void ClosedUp() {}
  // A message to the native window itself (the window's own classes, subclassed controls);
  // nothing to pass it on.
  virtual std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp);

 protected:
  struct TCreateParams {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle = 0;
    int height = 0;  // 0: the row's
  };
  virtual TCreateParams CreateParams() const = 0;
  virtual SIZE Size(HWND /*parent*/) const {
    const TBounds b = host_.Scale().Bounds(def_);
    return {b.w, b.h};
  }
  // The native window's text: screen readers take it as the control's name.
  virtual const char* NativeText() const { return def_.caption; }
  virtual void Setup() {}  // once the native window exists
  virtual void Scaled() {}  // after a change of scale, for what the native window keeps in pixels
  HFONT Font() const { return host_.Resources().Font(def_.font, host_.Scale()); }
  // Gets the native window's own messages (keys, focus, mouse) through Message.
  virtual bool Subclassed() const { return false; }
  // The native focus came to this control: the logic hears of it, or, for a control that never
  // takes the focus, it goes back where it came from.
  void FocusArrived(HWND from);

  TWinHost& host_;
  const TControlDef& def_;
  TControl* control_;
  HWND hwnd_ = nullptr;
  bool updating_ = false;  // the logic is setting the native state: no user event from it

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
};

// The native control of a layout row and its logic control (nullptr for rows without state);
// nullptr for the rows their panel paints.
std::unique_ptr<TWinControl> MakeWinControl(TWinHost& host, const TControlDef& def, TControl* control);

// A window class of this program's with `proc`, the arrow cursor and nothing else set.
WNDCLASSEXW WindowClass(HINSTANCE instance, WNDPROC proc);
// The window classes of the controls the window paints itself (panels, the comment box), registered with `proc`, the window's procedure, which passes their messages to Message.
void RegisterControlClasses(HINSTANCE instance, WNDPROC proc);

}  // namespace kx71
