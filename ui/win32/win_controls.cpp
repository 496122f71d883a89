#include "ui/win32/win_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/wide_text.h"
#include "ui/win32/win_backdrop.h"
#include "ui/win32/win_paint.h"

namespace kx71 {
namespace {

constexpr wchar_t kPanelClass[] = L"KX71Panel";
constexpr wchar_t kCommentClass[] = L"KX71Comment";
// Siblings overlap (panels over each other's edge rows): each control paints only its own
// uncovered part.
constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;

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

class TWinComboBox final : public TWinControl, public TComboBox::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { Box().Bind(this); }
  void ShowItems(const std::vector<std::string>& items) override {
    updating_ = true;
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    updating_ = false;
  }
  void ShowSelected(int index) override {
    updating_ = true;
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    updating_ = false;
  }
  void Notify(int code) override {
    if (code == CBN_SETFOCUS) host_.Form().UserFocused(*control_);
    if (updating_) return;
    if (code == CBN_DROPDOWN) {
      Box().UserDropDown();
    } else if (code == CBN_CLOSEUP) {
      // The order of the selection notifications around the close-up is not fixed: the selection
      // is read once they are all delivered.
      host_.PostCloseUp(*this);
    } else if (code == CBN_SELCHANGE && !SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0)) {
      Box().UserSelected(Selection());
    }
  }
  void ClosedUp() override { Box().UserCloseUp(Selection()); }
  // Drawn here so that the face's text sits where the layout puts it: centred on the closed box,
  // clear of its edge and of the focus rectangle.
  void DrawItem(const DRAWITEMSTRUCT& item) override {
    std::wstring text;
    const bool entry = item.itemID != static_cast<UINT>(-1);
    const LRESULT length = entry ? SendMessageW(hwnd_, CB_GETLBTEXTLEN, item.itemID, 0) : -1;
    if (length >= 0) {
      text.resize(static_cast<std::size_t>(length) + 1);
      const LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<std::size_t>(std::max<LRESULT>(n, 0)));
    }
    RECT line = item.rcItem;
    if ((item.itemState & ODS_COMBOBOXEDIT) != 0) line = {line.left, 0, line.right, host_.Scale().Bounds(def_).h};
    DrawSelectorItem(item, Font(), line, text);
  }

 protected:
  TCreateParams CreateParams() const override {
    // The height includes the dropped-down list.
    // Owner-drawn rows of the table's height (WM_MEASUREITEM); the texts stay the box's.
    const TScale& scale = host_.Scale();
    return {L"COMBOBOX",
            kChild | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0,
            scale.Bounds(def_).h + def_.visibleRows * scale.RowHeight(def_) + scale.Pixels(2)};
  }
  void Setup() override {
    Scaled();
    SendMessageW(hwnd_, CB_SETMINVISIBLE, static_cast<WPARAM>(def_.visibleRows), 0);
  }
  void Scaled() override {
    const int rowHeight = host_.Scale().RowHeight(def_);
    // The face is as high as the closed box's row says: what the box's edges, which keep their
    // width at every DPI, leave of it (a list row's height at 96 DPI).
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rowHeight);
    RECT box{};
    GetWindowRect(hwnd_, &box);
    const int edges = box.bottom - box.top - rowHeight;
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), host_.Scale().Bounds(def_).h - edges);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, rowHeight);  // the list's rows
  }

 private:
  TComboBox& Box() const { return *static_cast<TComboBox*>(control_); }
  int Selection() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
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

class TWinBar final : public TWinControl, public TBar::View {
 public:
  using TWinControl::TWinControl;
  void Bind() override { Bar().Bind(this); }
  void ShowPosition(int position) override { SetScrollPos(hwnd_, SB_CTL, position, TRUE); }
  // A scroll bar control does not move itself: the position goes to the logic, which limits it to
  // the range and shows it back.
  void Scroll(int code) override {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, SB_CTL, &si);
    const int step = std::max(Bar().Step(), 1);
    int to = Bar().Position();
    switch (code) {
      case SB_LINELEFT:
      case SB_PAGELEFT:
        to -= step;
        break;
      case SB_LINERIGHT:
      case SB_PAGERIGHT:
        to += step;
        break;
      case SB_LEFT:
        to = Bar().Min();
        break;
      case SB_RIGHT:
        to = Bar().Max();
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        to = si.nTrackPos;
        break;
      default:
        return;  // SB_ENDSCROLL
    }
    Bar().UserMoved(to);
  }

 protected:
  TCreateParams CreateParams() const override { return {L"SCROLLBAR", kChild | WS_VISIBLE | SBS_HORZ | WS_TABSTOP}; }
  void Setup() override {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, def_.min, def_.max, 0, def_.position, 0};  // no page
    SetScrollInfo(hwnd_, SB_CTL, &si, FALSE);
  }
  bool Subclassed() const override { return true; }  // keys and focus come only to the bar

 private:
  TBar& Bar() const { return *static_cast<TBar*>(control_); }
};

}  // namespace

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
      return std::make_unique<TWinPanel>(host, def, control);
    case TControlKind::Caption:
      return std::make_unique<TWinLabel>(host, def, control);
    case TControlKind::FilledLabel:
    case TControlKind::Picture:
      return nullptr;  // painted by their panel (win_backdrop.h)
    case TControlKind::StaticText:
      return std::make_unique<TWinComment>(host, def, control);
    case TControlKind::Option:
      return std::make_unique<TWinOption>(host, def, control);
    case TControlKind::ComboBox:
      return std::make_unique<TWinComboBox>(host, def, control);
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      return std::make_unique<TWinButton>(host, def, control);
    case TControlKind::Edit:
      return std::make_unique<TWinEdit>(host, def, control);
    case TControlKind::Bar:
      return std::make_unique<TWinBar>(host, def, control);
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

void RegisterControlClasses(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc = WindowClass(instance, proc);
  wc.hbrBackground = nullptr;  // each paints itself
  for (const wchar_t* name : {kPanelClass, kCommentClass}) {
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

}  // namespace kx71
