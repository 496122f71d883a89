#include "ui/win32/win_main_form.h"

#include <commctrl.h>

#include <cstring>
#include <string_view>
#include <utility>

#include "ui/form/failure_text.h"
#include "ui/win32/win_dpi.h"

namespace kx71 {
namespace {

constexpr UINT kCloseUp = WM_APP + 10;  // wParam: the selector's control id
constexpr UINT kDeferredClose = WM_APP + 11;
constexpr UINT kUndoFrame = WM_APP + 12;
// The ordinary sizable frame with its system menu, minimise and maximise boxes: every size other
// than the fitted one is undone (WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING).
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;

int ControlId(const TControlDef& def) {
  return kFirstControlId + static_cast<int>(&def - Layout().data());
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc = WindowClass(instance, proc);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kMainWindowClass;
  RegisterClassExW(&wc);
}

}  // namespace

TWinMainForm::TWinMainForm(TCommXEnvironment commEnvironment) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, &TWinMainForm::WindowProc);
  RegisterControlClasses(instance, &TWinMainForm::WindowProc);

  form_ = std::make_unique<TMainForm>(*this, std::move(commEnvironment));
  mainThread_.filter = [this](MSG& msg) { return Filter(msg); };
  mainThread_.runTask = [this](const std::function<void()>& task) { Guarded(form_.get(), task); };

  scale_ = TScale(WindowDpi(nullptr));
  const SIZE size = FittedWindowSize();
  // Made where it first shows: a hidden window moved costs a round of messages.
  const POINT at = CentredPlace(size);
  hwnd_ = CreateWindowExW(0, kMainWindowClass, Widen(kTitle).c_str(), kWindowStyle | WS_CLIPCHILDREN, at.x, at.y,
                          size.cx, size.cy, nullptr, nullptr, instance, this);
  // The monitor the window opened on may differ from the screen's DPI.
  if (hwnd_ != nullptr && WindowDpi(hwnd_) != scale_.Dpi()) {
    scale_ = TScale(WindowDpi(hwnd_));
    Fit(hwnd_);
  }
  CreateControls();
  form_->Create();
}

TWinMainForm::~TWinMainForm() {
  form_.reset();  // closes an open port while the window still exists
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

SIZE TWinMainForm::FittedWindowSize() const {
  const TSize fitted = scale_.Size(form_->ClientSize());
  RECT win{}, client{};
  if (hwnd_ != nullptr && !IsIconic(hwnd_) && GetWindowRect(hwnd_, &win) && GetClientRect(hwnd_, &client)) {
    // The frame as it is: under a window manager that draws the frame itself there is none.
    return {win.right - win.left - client.right + fitted.width, win.bottom - win.top - client.bottom + fitted.height};
  }
  return WindowSizeFor({fitted.width, fitted.height}, kWindowStyle, scale_.Dpi());
}

void TWinMainForm::CreateControls() {
  for (const TControlDef& def : Layout())
    if (auto c = MakeWinControl(*this, def, form_->Find(def.name))) controls_.push_back(std::move(c));
  // Windows puts a new child below its older siblings, and here a later row lies above an earlier
  // one: siblings are made last row first. The hidden panels are made only if they are ever shown.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TWinControl& c = **it;
    if (c.Def().kind == TControlKind::Panel && !c.Def().Has(kHidden)) Realise(c);
  }
  for (auto& c : controls_) c->Bind();
  bound_ = true;
}

bool TWinMainForm::Make(TWinControl& c, HWND parent) {
  if (!c.Create(parent, ControlId(c.Def()))) return false;
  byHwnd_[c.Handle()] = &c;
  return true;
}

void TWinMainForm::Realise(TWinControl& panel) {
  if (panel.Handle() != nullptr) return;
  if (!Make(panel, hwnd_)) return;
  const auto onPanel = [&panel](const TWinControl& c) { return std::strcmp(c.Def().parent, panel.Def().name) == 0; };
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    if ((*it)->Handle() == nullptr && onPanel(**it)) Make(**it, panel.Handle());
  }
  // Made after start-up: the controls show their state now.
  if (bound_)
    for (auto& c : controls_)
      if (onPanel(*c)) c->Bind();
}

void TWinMainForm::PanelsChanged() {
  if (hwnd_ != nullptr && bound_) Fit(hwnd_);
}

void TWinMainForm::PostCloseUp(TWinControl& box) {
  PostMessageW(hwnd_, kCloseUp, static_cast<WPARAM>(GetDlgCtrlID(box.Handle())), 0);
}

HWND TWinMainForm::Native(std::string_view name) const {
  for (const auto& c : controls_)
    if (name == c->Def().name) return c->Handle();
  return nullptr;
}

TWinControl* TWinMainForm::FromHwnd(HWND hwnd) const {
  const auto it = byHwnd_.find(hwnd);
  return it != byHwnd_.end() ? it->second : nullptr;
}

TWinControl* TWinMainForm::FromId(int id) const {
  for (const auto& c : controls_)
    if (ControlId(c->Def()) == id) return c.get();
  return nullptr;
}

POINT TWinMainForm::CentredPlace(SIZE size) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return {work.left + (work.right - work.left - size.cx) / 2, work.top + (work.bottom - work.top - size.cy) / 2};
}

void TWinMainForm::Show() {
  // Centred on the screen's work area at first show: where it was made, unless its size changed
  // for its monitor's DPI since.
  const POINT at = CentredPlace(FittedWindowSize());
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (r.left != at.x || r.top != at.y) SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (TControl* focused = form_->Focused()) FocusControl(*focused);
}

int TWinMainForm::Run() { return mainThread_.Run(); }

void TWinMainForm::FocusControl(TControl& control) {
  // Not while the window is hidden: a focus set then activates the window unseen, so that it shows
  // inactive, and costs a round of activation messages. Show gives the logic's focus control it.
  if (hwnd_ == nullptr || !IsWindowVisible(hwnd_)) return;
  for (const auto& c : controls_) {
    if (c->Control() == &control) {
      SetFocus(c->Handle());
      return;
    }
  }
}

void TWinMainForm::CloseWindow() {
  if (hwnd_ == nullptr) return;
  closing_ = true;
  // The port is released at the request, whatever the window's end takes.
  form_->CommX1.Close();
  // Gone with its destruction, not hidden first: Wine waits up to two seconds for a window manager
  // to acknowledge a hidden managed window, and without one the exit would wait that long.
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~WS_VISIBLE);
  DestroyWindow(hwnd_);
}

void TWinMainForm::PostCloseWindow() {
  if (hwnd_ != nullptr) PostMessageW(hwnd_, kDeferredClose, 0, 0);
}

std::string TWinMainForm::ProgramFileName() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return Narrow(path);
}

void TWinMainForm::ShowFailureBox(const std::string& caption, const std::string& text) {
  // The box takes the focus, and gives it back to the window rather than to the control that had
  // it: a selector whose list opens after the box would be left without the keys that close it.
  const HWND focus = GetFocus();
  ++boxesOpen_;
  MessageBoxW(hwnd_, Widen(text).c_str(), Widen(caption).c_str(), MB_ICONERROR | MB_OK);
  --boxesOpen_;
  // The close that dismissed the box goes on now that the handler under it can return.
  if (boxesOpen_ == 0 && closeAfterBox_) {
    closeAfterBox_ = false;
    PostCloseWindow();
    return;
  }
  if (focus != nullptr && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
}

bool TWinMainForm::Filter(MSG& msg) {
  if (msg.message != WM_KEYDOWN || hwnd_ == nullptr || !IsChild(hwnd_, msg.hwnd)) return false;
  TWinControl* c = FromHwnd(msg.hwnd);
  // The list of a dropped-down selector is no control of ours: keys there stay with it.
  if (msg.wParam == VK_TAB) {
    // The logic's Tab chain: the dialog manager would follow the z-order, which here differs from
    // the tab order (the picture panel lies on top, yet comes last).
    const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    TControl* next = form_->TabNext(c != nullptr ? c->Control() : nullptr, !back);
    if (next != nullptr) {
      FocusControl(*next);
      form_->UserFocused(*next);
    }
    return true;
  }
  auto* option = c != nullptr ? dynamic_cast<TOption*>(c->Control()) : nullptr;
  if (option != nullptr &&
      (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT)) {
    // Arrows inside an option group choose the neighbour, as a click on it would.
    TOption& next = option->Neighbour(msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT);
    FocusControl(next);
    next.UserClicked();
    return true;
  }
  return false;
}

// Answers a failure box (a dialog owned by the window `lp`) as its OK button would.
BOOL CALLBACK TWinMainForm::AnswerBoxOf(HWND hwnd, LPARAM lp) {
  wchar_t name[16] = {};
  if (GetWindow(hwnd, GW_OWNER) == reinterpret_cast<HWND>(lp) && GetClassNameW(hwnd, name, 16) > 0 &&
      std::wstring_view(name) == L"#32770")
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

LRESULT CALLBACK TWinMainForm::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    if (cs->lpCreateParams != nullptr) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  // Panels and the comment box belong to the window whose control they are.
  HWND top = GetAncestor(hwnd, GA_ROOT);
  auto* self = reinterpret_cast<TWinMainForm*>(GetWindowLongPtrW(top != nullptr ? top : hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->OnMessage(hwnd, msg, wp, lp);
}

LRESULT TWinMainForm::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (const auto result = OnChildMessage(msg, wp, lp)) return *result;
  if (TWinControl* c = FromHwnd(hwnd)) {
    if (const auto result = c->Message(msg, wp, lp)) return *result;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // A panel or the comment box while it is being made, before it is known.
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0) return DefWindowProcW(hwnd, msg, wp, lp);
  return OnWindowMessage(hwnd, msg, wp, lp);
}

std::optional<LRESULT> TWinMainForm::OnChildMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* c = FromHwnd(reinterpret_cast<HWND>(lp)); c != nullptr && c->Control() != nullptr)
        c->Notify(HIWORD(wp));
      return 0;
    case WM_HSCROLL:
      if (TWinControl* c = FromHwnd(reinterpret_cast<HWND>(lp))) c->Scroll(LOWORD(wp));
      return 0;
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      // Asked while the control is being made, before its window is known: found by its id.
      if (TWinControl* c = FromId(static_cast<int>(item.CtlID)); c != nullptr && c->Def().rowHeight > 0)
        item.itemHeight = static_cast<UINT>(scale_.RowHeight(c->Def()));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (TWinControl* c = FromHwnd(item.hwndItem)) c->DrawItem(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (TWinControl* c = FromHwnd(reinterpret_cast<HWND>(lp)))
        return reinterpret_cast<LRESULT>(c->Colour(reinterpret_cast<HDC>(wp)));
      break;
    default:
      break;
  }
  return std::nullopt;
}

void TWinMainForm::UndoFrame() {
  if (undoPosted_ || hwnd_ == nullptr) return;
  undoPosted_ = true;
  PostMessageW(hwnd_, kUndoFrame, 0, 0);
}

void TWinMainForm::Fit(HWND hwnd) {
  // A size that got past WM_GETMINMAXINFO and WM_WINDOWPOSCHANGING (a frame that differs from the
  // one assumed, a panel shown) is put right from the client area.
  const TSize fitted = scale_.Size(form_->ClientSize());
  RECT client{};
  GetClientRect(hwnd, &client);
  if (client.right == fitted.width && client.bottom == fitted.height) return;
  RECT win{};
  GetWindowRect(hwnd, &win);
  const int w = win.right - win.left + fitted.width - client.right;
  const int h = win.bottom - win.top + fitted.height - client.bottom;
  SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

void TWinMainForm::DpiChanged(int dpi, const RECT& suggested) {
  if (dpi != scale_.Dpi()) {
    scale_ = TScale(dpi);
    for (auto& c : controls_) c->Rescale();
  }
  // Windows suggests the window's place and its size at the new DPI; the size is the fitted one
  // all the same (WM_WINDOWPOSCHANGING, then WM_SIZE for a frame of another thickness).
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Fit(hwnd_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT TWinMainForm::OnWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETMINMAXINFO: {
      // Every size but the fitted one is undone, maximised included.
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      const SIZE size = FittedWindowSize();
      info->ptMinTrackSize = info->ptMaxTrackSize = info->ptMaxSize = {size.cx, size.cy};
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      if (!(pos->flags & SWP_NOSIZE) && !IsIconic(hwnd)) {
        const SIZE size = FittedWindowSize();
        if (pos->cx != size.cx || pos->cy != size.cy) UndoFrame();
        pos->cx = size.cx;
        pos->cy = size.cy;
      }
      return 0;
    }
    case WM_SIZE:
      if (wp == SIZE_MAXIMIZED) UndoFrame();
      if (wp != SIZE_MINIMIZED) Fit(hwnd);
      return 0;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case kUndoFrame:
      undoPosted_ = false;
      // A window manager that maximised the frame, made it full screen or resized it keeps that
      // frame whatever size the window takes: the window leaves the state and states its size anew.
      if (IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      return 0;
    case kCloseUp:
      if (TWinControl* c = FromId(static_cast<int>(wp))) c->ClosedUp();
      return 0;
    case kDeferredClose:
    case WM_CLOSE:
      if (closing_) return 0;
      if (boxesOpen_ > 0) {
        // Destroyed under a failure box, the window would leave the handler that showed the box
        // running on without it: the box is answered first, and the close follows its return.
        closeAfterBox_ = true;
        EnumThreadWindows(GetCurrentThreadId(), AnswerBoxOf, reinterpret_cast<LPARAM>(hwnd_));
        return 0;
      }
      if (form_->CloseQuery()) CloseWindow();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // nothing to save
    case WM_ENDSESSION:
      // The session may end the process as soon as this returns, before the loop does: the port
      // is closed here (DTR and RTS lowered) rather than on the way out.
      if (wp != FALSE) {
        form_->CommX1.Close();
        if (!closing_) CloseWindow();
      }
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kx71
