// The controls the window paints itself: panels (with what they paint under their children) and
// the comment box.
#include "ui/win32/win_control_kinds.h"

#include "ui/win32/wide_text.h"
#include "ui/win32/win_backdrop.h"
#include "ui/win32/win_paint.h"

namespace kx71 {
namespace {

constexpr wchar_t kPanelClass[] = L"KX71Panel";
constexpr wchar_t kCommentClass[] = L"KX71Comment";

// The controls the window paints itself: the background is painted whole in WM_PAINT.
class TWinPainted : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg != WM_PAINT) return TWinControl::Message(msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    Paint(dc, client);
    EndPaint(hwnd_, &ps);
    return 0;
  }

 protected:
  virtual void Paint(HDC dc, const RECT& client) = 0;
};

class TWinPanel final : public TWinPainted, public TPanel::View {
 public:
  using TWinPainted::TWinPainted;
  void Bind() override { static_cast<TPanel*>(control_)->Bind(this); }
  void ShowVisible(bool visible) override {
    if (visible && hwnd_ == nullptr) host_.Realise(*this);
    if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    host_.PanelsChanged();
  }

 protected:
  TCreateParams CreateParams() const override {
    return {kPanelClass, kChild | WS_CLIPCHILDREN | (def_.Has(kHidden) ? 0u : WS_VISIBLE), WS_EX_CONTROLPARENT};
  }
  void Paint(HDC dc, const RECT& client) override {
    PaintPanel(dc, client, host_.Resources().Brush(ToColorRef(def_.colour, GetSysColor(COLOR_BTNFACE))));
    PaintBackdrop(dc, def_, host_.Resources(), host_.Scale());  // under the child controls
  }
};

// The comment box lays its lines out itself, the layout's line height apart whatever the face, so
// that all lines of every level's message show whole; text past its height is cut off.
class TWinComment final : public TWinPainted, public TLabel::View {
 public:
  using TWinPainted::TWinPainted;
  void Bind() override { static_cast<TLabel*>(control_)->Bind(this); }
  void ShowText(const std::string& text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg != WM_SETTEXT) return TWinPainted::Message(msg, wp, lp);
    const LRESULT result = DefWindowProcW(hwnd_, msg, wp, lp);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return result;
  }

 protected:
  TCreateParams CreateParams() const override { return {kCommentClass, kChild | WS_VISIBLE, WS_EX_STATICEDGE}; }
  void Paint(HDC dc, const RECT& client) override {
    TWinResources& res = host_.Resources();
    const TCommentLook look{res.Brush(ToColorRef(def_.colour, GetSysColor(COLOR_BTNHIGHLIGHT))), Font(),
                            host_.Scale().RowHeight(def_)};
    PaintComment(dc, client, look, WindowText(hwnd_));
  }
};

}  // namespace

std::unique_ptr<TWinControl> MakeWinPanel(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinPanel>(host, def, control);
}

std::unique_ptr<TWinControl> MakeWinComment(TWinHost& host, const TControlDef& def, TControl* control) {
  return std::make_unique<TWinComment>(host, def, control);
}

void RegisterControlClasses(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc = WindowClass(instance, proc);
  wc.hbrBackground = nullptr;  // each paints itself
  for (const wchar_t* name : {kPanelClass, kCommentClass}) {
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

}  // namespace kx71
