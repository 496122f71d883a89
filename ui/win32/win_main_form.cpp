#include "ui/win32/win_main_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "ui/form/failure_text.h"
#include "ui/win32/text_wrap.h"
#include "ui/win32/win_fonts.h"

namespace kx71 {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {

constexpr wchar_t kPanelClass[] = L"KX71Panel";
constexpr wchar_t kPictureClass[] = L"KX71Picture";
constexpr wchar_t kCommentClass[] = L"KX71Comment";
constexpr UINT kCloseUp = WM_APP + 10;      // wParam: the selector's control id
constexpr UINT kDeferredClose = WM_APP + 11;
constexpr int kCommentLineHeight = 12;      // whatever face stands in for the window's font
constexpr int kCommentMargin = 2;

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

COLORREF ToColorRef(const TColour& c, COLORREF fallback) {
  switch (c.source) {
    case TColour::Rgb:
      return RGB(c.r, c.g, c.b);
    case TColour::Face:
      return GetSysColor(COLOR_BTNFACE);
    case TColour::Highlight:
      return GetSysColor(COLOR_BTNHIGHLIGHT);
    case TColour::None:
      break;
  }
  return fallback;
}

// The resource name of an artwork file: its name up to the first full stop, in capitals.
std::wstring ResourceName(const char* file) {
  std::wstring name;
  for (const char* p = file; *p != '\0' && *p != '.'; ++p)
    name.push_back(static_cast<wchar_t>(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p));
  return name;
}

void RegisterClasses(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kMainWindowClass;
  RegisterClassExW(&wc);
  wc.hIcon = nullptr;
  wc.hbrBackground = nullptr;  // each paints itself
  for (const wchar_t* name : {kPanelClass, kPictureClass, kCommentClass}) {
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

}  // namespace

// One native control: the row it comes from, its logic control, and the view the logic shows
// state through.
struct TWinMainForm::TNative final : TPanel::View,
                                    TLabel::View,
                                    TEdit::View,
                                    TBar::View,
                                    TOption::View,
                                    TComboBox::View {
  TWinMainForm* owner = nullptr;
  const TControlDef* def = nullptr;
  TControl* control = nullptr;
  HWND hwnd = nullptr;
  bool updating = false;  // the logic is setting the native state: no user event from it

  void ShowVisible(bool visible) override {
    if (visible && hwnd == nullptr) owner->Realise(*this);
    if (hwnd != nullptr) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  }
  void ShowText(const std::string& text) override {
    updating = true;
    SetWindowTextW(hwnd, Widen(text).c_str());
    updating = false;
    if (def->kind == TControlKind::StaticText) InvalidateRect(hwnd, nullptr, TRUE);
  }
  void SelectAll() override { SendMessageW(hwnd, EM_SETSEL, 0, -1); }
  void ShowPosition(int position) override { SetScrollPos(hwnd, SB_CTL, position, TRUE); }
  void ShowChecked(bool checked) override {
    updating = true;
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    updating = false;
  }
  void ShowItems(const std::vector<std::string>& items) override {
    updating = true;
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
      SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    updating = false;
  }
  void ShowSelected(int index) override {
    updating = true;
    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    updating = false;
  }
};

namespace {

// The logic control of a native one, as the kind its row makes it.
template <class T>
T* As(const TWinMainForm::TNative& n) {
  return dynamic_cast<T*>(n.control);
}

}  // namespace

TWinMainForm::TWinMainForm(TCommXEnvironment commEnvironment) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterClasses(instance, &TWinMainForm::WindowProc);

  form_ = std::make_unique<TMainForm>(*this, std::move(commEnvironment));
  mainThread_.filter = [this](MSG& msg) { return Filter(msg); };
  mainThread_.runTask = [this](const std::function<void()>& task) { Guarded(form_.get(), task); };

  const SIZE size = FittedWindowSize();
  hwnd_ = CreateWindowExW(0, kMainWindowClass, Widen(kTitle).c_str(),
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                          nullptr, nullptr, instance, this);
  CreateControls();
  form_->Create();
}

TWinMainForm::~TWinMainForm() {
  form_.reset();  // closes an open port while the window still exists
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [key, brush] : brushes_) DeleteObject(brush);
  for (auto& [key, bitmap] : artwork_) DeleteObject(bitmap);
}

SIZE TWinMainForm::FittedWindowSize() const {
  RECT win{}, client{};
  if (hwnd_ != nullptr && !IsIconic(hwnd_) && GetWindowRect(hwnd_, &win) && GetClientRect(hwnd_, &client)) {
    // The frame as it is: under a window manager that draws the frame itself there is none.
    return {win.right - win.left - client.right + kClientWidth, win.bottom - win.top - client.bottom + kClientHeight};
  }
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  return {r.right - r.left, r.bottom - r.top};
}

HFONT TWinMainForm::Font(const TFontSpec& look) {
  const int pixels = look.family == TFontSpec::Window ? kUiFontPixels : look.pixels;
  const auto key = std::make_tuple(static_cast<int>(look.family), pixels, look.bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const HFONT font = look.family == TFontSpec::System ? MakeSystemFont(pixels, look.bold) : MakeUiFont(pixels, look.bold);
  fonts_[key] = font;
  return font;
}

HBRUSH TWinMainForm::Brush(COLORREF colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  const HBRUSH brush = CreateSolidBrush(colour);
  brushes_[colour] = brush;
  return brush;
}

HBITMAP TWinMainForm::Artwork(const char* resource) {
  auto it = artwork_.find(resource);
  if (it != artwork_.end()) return it->second;
  const auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), ResourceName(resource).c_str(),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  artwork_[resource] = bitmap;
  return bitmap;
}

HWND TWinMainForm::CreateNative(const TControlDef& def, HWND parent, int id) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  // Siblings overlap (the picture under the options, panels over each other's edge rows): each
  // control paints only its own uncovered part.
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const wchar_t* cls = L"STATIC";
  std::wstring text = Widen(def.caption);
  int w = def.w, h = def.h;
  switch (def.kind) {
    case TControlKind::Panel:
      cls = kPanelClass;
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      if (!def.Has(kHidden)) style |= WS_VISIBLE;
      break;
    case TControlKind::Caption:
    case TControlKind::FilledLabel:
      style |= WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
      break;
    case TControlKind::Picture:
      cls = kPictureClass;
      style |= WS_VISIBLE;
      break;
    case TControlKind::StaticText:
      cls = kCommentClass;
      style |= WS_VISIBLE;
      exStyle |= WS_EX_STATICEDGE;
      break;
    case TControlKind::Option:
      cls = L"BUTTON";
      style |= WS_VISIBLE | BS_RADIOBUTTON | BS_NOTIFY;  // not AUTO: the logic decides what is checked
      break;
    case TControlKind::ComboBox:
      cls = L"COMBOBOX";
      style |= WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      h = 18 + 20 * 12 + 2;  // the height includes the dropped-down list
      break;
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      cls = L"BUTTON";
      style |= WS_VISIBLE | BS_OWNERDRAW | BS_NOTIFY | WS_TABSTOP;
      if (def.kind == TControlKind::FlatButton) style &= ~WS_TABSTOP;  // flat buttons take no focus
      break;
    case TControlKind::Edit:
      cls = L"EDIT";
      style |= WS_VISIBLE | ES_AUTOHSCROLL | ES_LEFT;
      if (!def.Has(kNoTabStop)) style |= WS_TABSTOP;
      if (def.font.capitals) style |= ES_UPPERCASE;  // shown so; the text as set stays in the logic
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case TControlKind::Bar:
      cls = L"SCROLLBAR";
      style |= WS_VISIBLE | SBS_HORZ | WS_TABSTOP;
      break;
  }
  if (def.kind == TControlKind::Caption && (w == kFitted || h == kFitted)) {
    HDC dc = GetDC(parent);
    const HGDIOBJ old = SelectObject(dc, Font(def.font));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(parent, dc);
    if (w == kFitted) w = extent.cx;
    if (h == kFitted) h = extent.cy;
  }
  const HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, def.x, def.y, w, h, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (hwnd == nullptr) return nullptr;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(def.font)), FALSE);
  switch (def.kind) {
    case TControlKind::ComboBox:
      SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 12);  // the selection field
      SendMessageW(hwnd, CB_SETITEMHEIGHT, 0, 12);
      SendMessageW(hwnd, CB_SETMINVISIBLE, 20, 0);
      break;
    case TControlKind::Bar: {
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, def.min, def.max, 0, def.position, 0};  // no page
      SetScrollInfo(hwnd, SB_CTL, &si, FALSE);
      break;
    }
    default:
      break;
  }
  return hwnd;
}

void TWinMainForm::CreateControls() {
  const auto layout = Layout();
  for (const TControlDef& def : layout) {
    auto n = std::make_unique<TNative>();
    n->owner = this;
    n->def = &def;
    n->control = form_->Find(def.name);
    natives_.push_back(std::move(n));
  }
  // Windows puts a new child below its older siblings, and here a later row lies above an earlier
  // one: siblings are made last row first. The hidden panels are made only if they are ever shown.
  for (auto it = natives_.rbegin(); it != natives_.rend(); ++it) {
    TNative& n = **it;
    if (n.def->kind == TControlKind::Panel && !n.def->Has(kHidden)) Realise(n);
  }
  for (auto& n : natives_) Bind(*n);
  bound_ = true;
}

void TWinMainForm::Realise(TNative& panel) {
  if (panel.hwnd != nullptr) return;
  const auto layout = Layout();
  const auto index = [&](const TNative& n) { return kFirstControlId + static_cast<int>(n.def - layout.data()); };
  if (!Make(panel, hwnd_, index(panel))) return;
  for (auto it = natives_.rbegin(); it != natives_.rend(); ++it) {
    TNative& n = **it;
    if (n.hwnd == nullptr && std::strcmp(n.def->parent, panel.def->name) == 0) Make(n, panel.hwnd, index(n));
  }
  // Made after start-up: the controls show their state now.
  if (bound_)
    for (auto& n : natives_)
      if (std::strcmp(n->def->parent, panel.def->name) == 0) Bind(*n);
}

bool TWinMainForm::Make(TNative& n, HWND parent, int id) {
  n.hwnd = CreateNative(*n.def, parent, id);
  if (n.hwnd == nullptr) return false;
  byHwnd_[n.hwnd] = &n;
  // Keys and focus of edits and bars come only to the control itself; the others notify their parent.
  if (n.def->kind == TControlKind::Edit || n.def->kind == TControlKind::Bar)
    SetWindowSubclass(n.hwnd, &TWinMainForm::ControlProc, 1, reinterpret_cast<DWORD_PTR>(&n));
  return true;
}

void TWinMainForm::Bind(TNative& n) {
  if (n.control == nullptr) return;
  if (auto* c = dynamic_cast<TPanel*>(n.control)) c->Bind(&n);
  if (auto* c = dynamic_cast<TLabel*>(n.control)) c->Bind(&n);
  if (auto* c = dynamic_cast<TEdit*>(n.control)) c->Bind(&n);
  if (auto* c = dynamic_cast<TBar*>(n.control)) c->Bind(&n);
  if (auto* c = dynamic_cast<TOption*>(n.control)) c->Bind(&n);
  if (auto* c = dynamic_cast<TComboBox*>(n.control)) c->Bind(&n);
}

HWND TWinMainForm::Native(std::string_view name) const {
  for (const auto& n : natives_)
    if (name == n->def->name) return n->hwnd;
  return nullptr;
}

TWinMainForm::TNative* TWinMainForm::FromHwnd(HWND hwnd) const {
  const auto it = byHwnd_.find(hwnd);
  return it != byHwnd_.end() ? it->second : nullptr;
}

TWinMainForm::TNative* TWinMainForm::FromId(int id) const {
  const int index = id - kFirstControlId;
  for (const auto& n : natives_)
    if (n->def == &Layout()[static_cast<std::size_t>(std::max(index, 0))]) return n.get();
  return nullptr;
}

void TWinMainForm::Show() {
  // Centred on the screen's work area at first show.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const SIZE size = FittedWindowSize();
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  shown_ = true;
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (TControl* focused = form_->Focused()) FocusControl(*focused);
}

int TWinMainForm::Run() { return mainThread_.Run(); }

void TWinMainForm::FocusControl(TControl& control) {
  for (const auto& n : natives_) {
    if (n->control == &control) {
      SetFocus(n->hwnd);
      return;
    }
  }
}

void TWinMainForm::CloseWindow() {
  if (hwnd_ == nullptr) return;
  closing_ = true;
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
  ++boxesOpen_;
  MessageBoxW(hwnd_, Widen(text).c_str(), Widen(caption).c_str(), MB_ICONERROR | MB_OK);
  --boxesOpen_;
  // The close that dismissed the box goes on now that the handler under it can return.
  if (boxesOpen_ == 0 && closeAfterBox_) {
    closeAfterBox_ = false;
    PostCloseWindow();
  }
}

bool TWinMainForm::Filter(MSG& msg) {
  if (msg.message != WM_KEYDOWN || hwnd_ == nullptr || !IsChild(hwnd_, msg.hwnd)) return false;
  TNative* n = FromHwnd(msg.hwnd);
  // The list of a dropped-down selector is no control of ours: keys there stay with it.
  if (msg.wParam == VK_TAB) {
    // The window's own Tab chain: the dialog manager would follow the z-order, which here differs
    // from the tab order (the picture panel lies on top, yet comes last).
    const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    TControl* next = form_->TabNext(n != nullptr ? n->control : nullptr, !back);
    if (next != nullptr) {
      FocusControl(*next);
      form_->UserFocused(*next);
    }
    return true;
  }
  if (n != nullptr && n->def->kind == TControlKind::Option &&
      (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT)) {
    // Arrows inside an option group choose the neighbour, as a click on it would.
    std::vector<TNative*> group;
    for (const auto& other : natives_)
      if (other->def->kind == TControlKind::Option && std::strcmp(other->def->parent, n->def->parent) == 0)
        group.push_back(other.get());
    const auto at = std::find(group.begin(), group.end(), n) - group.begin();
    const bool forward = msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT;
    const auto size = static_cast<std::ptrdiff_t>(group.size());
    TNative* target = group[static_cast<std::size_t>((at + (forward ? 1 : size - 1)) % size)];
    SetFocus(target->hwnd);
    if (auto* option = dynamic_cast<TOption*>(target->control)) option->UserClicked();
    return true;
  }
  return false;
}

void TWinMainForm::OnCommand(TNative& n, int code) {
  if (n.control == nullptr) return;
  const bool button = n.def->kind == TControlKind::Option || n.def->kind == TControlKind::PictureButton ||
                      n.def->kind == TControlKind::FlatButton;
  if ((button && code == BN_SETFOCUS) || (n.def->kind == TControlKind::ComboBox && code == CBN_SETFOCUS)) {
    form_->UserFocused(*n.control);
    return;
  }
  if (n.updating) return;
  switch (n.def->kind) {
    case TControlKind::Option:
      // Windows reports a click on the option that is already checked as well (and a quick second
      // click as a double click): the logic runs the click only for a newly chosen one.
      if (auto* c = As<TOption>(n); c != nullptr && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) c->UserClicked();
      break;
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      // The second click of a quick pair comes as a double click on these buttons: a click all the same.
      if (auto* c = As<TButton>(n); c != nullptr && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) c->UserClicked();
      break;
    case TControlKind::ComboBox: {
      auto* box = As<TComboBox>(n);
      if (box == nullptr) break;
      if (code == CBN_DROPDOWN) {
        box->UserDropDown();
      } else if (code == CBN_CLOSEUP) {
        // The order of the selection notifications around the close-up is not fixed: read the
        // selection once they are all delivered.
        PostMessageW(hwnd_, kCloseUp, static_cast<WPARAM>(GetDlgCtrlID(n.hwnd)), 0);
      } else if (code == CBN_SELCHANGE && !SendMessageW(n.hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        box->UserSelected(static_cast<int>(SendMessageW(n.hwnd, CB_GETCURSEL, 0, 0)));
      }
      break;
    }
    case TControlKind::Edit:
      if (auto* c = As<TEdit>(n); c != nullptr && code == EN_CHANGE) c->UserTyped(Narrow(WindowText(n.hwnd)));
      break;
    default:
      break;
  }
}

void TWinMainForm::OnScroll(TNative& n, int code) {
  auto* bar = dynamic_cast<TBar*>(n.control);
  if (bar == nullptr) return;
  // A scroll bar control does not move itself: the position goes to the logic, which limits it to
  // the range and shows it back.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(n.hwnd, SB_CTL, &si);
  const int step = std::max(bar->Step(), 1);
  int to = bar->Position();
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
      to = bar->Min();
      break;
    case SB_RIGHT:
      to = bar->Max();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      to = si.nTrackPos;
      break;
    default:
      return;  // SB_ENDSCROLL
  }
  bar->UserMoved(to);
}

HBRUSH TWinMainForm::OnColour(HDC dc, HWND control) {
  TNative* n = FromHwnd(control);
  if (n == nullptr) return nullptr;
  COLORREF back = ToColorRef(n->def->colour, GetSysColor(COLOR_BTNFACE));
  if (n->def->kind == TControlKind::Edit && n->def->colour.source == TColour::None) back = GetSysColor(COLOR_WINDOW);
  if (n->def->kind == TControlKind::Caption) {
    // Captions take their panel's colour.
    if (TNative* parent = FromHwnd(GetParent(control))) back = ToColorRef(parent->def->colour, back);
  }
  SetBkColor(dc, back);
  SetTextColor(dc, ToColorRef(n->def->textColour, GetSysColor(COLOR_WINDOWTEXT)));
  return Brush(back);
}

void TWinMainForm::OnDrawItem(const DRAWITEMSTRUCT& item) {
  TNative* n = FromHwnd(item.hwndItem);
  if (n == nullptr) return;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  if (n->def->kind == TControlKind::PictureButton) {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (HBITMAP bitmap = Artwork(n->def->resource)) {
      BITMAP bm{};
      GetObjectW(bitmap, sizeof bm, &bm);
      HDC mem = CreateCompatibleDC(dc);
      const HGDIOBJ old = SelectObject(mem, bitmap);
      // The picture's bottom-left pixel colour is its transparent colour.
      const COLORREF key = GetPixel(mem, 0, bm.bmHeight - 1);
      const int x = (r.right - r.left - bm.bmWidth) / 2 + (pressed ? 1 : 0);
      const int y = (r.bottom - r.top - bm.bmHeight) / 2 + (pressed ? 1 : 0);
      TransparentBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, bm.bmWidth, bm.bmHeight, key);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
    if (item.itemState & ODS_FOCUS) {
      RECT f = r;
      InflateRect(&f, -3, -3);
      DrawFocusRect(dc, &f);
    }
    return;
  }
  // A flat button: the face, an edge only while pressed, and its caption in its own font and colour.
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  const std::wstring caption = Widen(n->def->caption);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(n->def->textColour, GetSysColor(COLOR_BTNTEXT)));
  const HGDIOBJ old = SelectObject(dc, Font(n->def->font));
  const UINT align = n->def->Has(kCaptionAtLeft) ? DT_LEFT : DT_CENTER;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, align | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
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
  // Panels, the picture and the comment box belong to the window whose control they are.
  HWND top = GetAncestor(hwnd, GA_ROOT);
  auto* self = reinterpret_cast<TWinMainForm*>(GetWindowLongPtrW(top != nullptr ? top : hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->OnMessage(hwnd, msg, wp, lp);
}

LRESULT TWinMainForm::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TNative* self = FromHwnd(hwnd);  // nullptr for the window itself
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0) {
        if (TNative* n = FromHwnd(reinterpret_cast<HWND>(lp))) OnCommand(*n, HIWORD(wp));
      }
      return 0;
    case WM_HSCROLL:
      if (lp != 0) {
        if (TNative* n = FromHwnd(reinterpret_cast<HWND>(lp))) OnScroll(*n, LOWORD(wp));
      }
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (HBRUSH brush = OnColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_ERASEBKGND:
      if (self != nullptr) return 1;  // painted whole in WM_PAINT
      break;
    case WM_PAINT:
      if (self != nullptr) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        if (self->def->kind == TControlKind::Panel) {
          FillRect(dc, &r, Brush(ToColorRef(self->def->colour, GetSysColor(COLOR_BTNFACE))));
          DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
        } else if (self->def->kind == TControlKind::Picture) {
          if (HBITMAP bitmap = Artwork(self->def->resource)) {
            BITMAP bm{};
            GetObjectW(bitmap, sizeof bm, &bm);
            HDC mem = CreateCompatibleDC(dc);
            const HGDIOBJ old = SelectObject(mem, bitmap);
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
          }
        } else if (self->def->kind == TControlKind::StaticText) {
          // The comment box lays its lines out itself, 12 pixels apart whatever the face, so that
          // all lines of every level's message show whole; text past its height is cut off.
          FillRect(dc, &r, Brush(ToColorRef(self->def->colour, GetSysColor(COLOR_BTNHIGHLIGHT))));
          const HGDIOBJ old = SelectObject(dc, Font(self->def->font));
          SetBkMode(dc, TRANSPARENT);
          SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
          const std::wstring text = WindowText(hwnd);
          const int width = r.right - 2 * kCommentMargin;
          const auto lines = WrapLines(text, width, [dc](std::wstring_view s) {
            SIZE size{};
            GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
            return static_cast<int>(size.cx);
          });
          IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
          int y = 0;
          for (const std::wstring& line : lines) {
            if (y >= r.bottom) break;
            TextOutW(dc, kCommentMargin, y, line.c_str(), static_cast<int>(line.size()));
            y += kCommentLineHeight;
          }
          SelectObject(dc, old);
        }
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_SETTEXT:
      if (self != nullptr && self->def->kind == TControlKind::StaticText) {
        const LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
      }
      break;
    default:
      break;
  }
  // A panel, the picture or the comment box (also while it is being made, before it is known).
  if (self != nullptr || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0) return DefWindowProcW(hwnd, msg, wp, lp);

  // The main window.
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
        pos->cx = size.cx;
        pos->cy = size.cy;
      }
      return 0;
    }
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) {
        // A size that got past the rules above (a frame that differs from the one assumed) is put
        // right from the client area.
        RECT client{};
        GetClientRect(hwnd, &client);
        if (client.right != kClientWidth || client.bottom != kClientHeight) {
          RECT win{};
          GetWindowRect(hwnd, &win);
          const int w = win.right - win.left + kClientWidth - client.right;
          const int h = win.bottom - win.top + kClientHeight - client.bottom;
          SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
        }
      }
      return 0;
    case kCloseUp:
      if (TNative* n = FromId(static_cast<int>(wp))) {
        if (auto* box = dynamic_cast<TComboBox*>(n->control))
          box->UserCloseUp(static_cast<int>(SendMessageW(n->hwnd, CB_GETCURSEL, 0, 0)));
      }
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

LRESULT CALLBACK TWinMainForm::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* n = reinterpret_cast<TNative*>(data);
  return n->owner->OnControlMessage(*n, hwnd, msg, wp, lp);
}

LRESULT TWinMainForm::OnControlMessage(TNative& n, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS:
      if (n.control != nullptr) form_->UserFocused(*n.control);
      break;
    case WM_KEYDOWN:
      if (n.def->kind == TControlKind::Edit && n.control != nullptr) {
        int key = kKeyOther;
        if (wp == VK_RETURN) key = kKeyReturn;
        if (wp == VK_UP) key = kKeyUp;
        if (wp == VK_DOWN) key = kKeyDown;
        if (auto* edit = As<TEdit>(n); edit != nullptr && !edit->UserKeyDown(key)) return 0;
      }
      break;
    case WM_CHAR:
      if (n.def->kind == TControlKind::Edit && n.control != nullptr && wp < 0x80 && wp != '\t') {
        if (auto* edit = As<TEdit>(n); edit != nullptr && !edit->UserKeyPress(static_cast<char>(wp))) return 0;
        if (wp == '\r') return 0;  // a single-line edit would only beep
      }
      break;
    case WM_LBUTTONUP:
      if (n.def->kind == TControlKind::Edit && n.control != nullptr) {
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        if (auto* edit = As<TEdit>(n)) edit->UserMouseUp();
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TWinMainForm::ControlProc, 1);
      byHwnd_.erase(hwnd);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace kx71
