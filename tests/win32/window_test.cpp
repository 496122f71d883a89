// What only the Windows controls can get wrong: the window's activation at start, a click reported for the option that is already
// checked, scroll bars that do not move or limit themselves, the selection read after the close-up,
// Tab and the arrows by the logic's chain, a step button that would take the focus, a resize or a
// maximise, the end of the window, the open list's rows, the comment box's lines with the face that
// is present, the message font's Japanese, the picture buttons' names for screen readers, the
// selector's text on its face, the stretched picture's columns, a change of DPI, and the Windows
// main thread that carries posted tasks.
// The window's logic itself is tested natively (tests/form). Runs under Wine on a display.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "protocol/settings_block.h"
#include "text/int_text.h"
#include "ui/win32/text_wrap.h"
#include "ui/form/scale.h"
#include "ui/win32/win_fonts.h"
#include "ui/win32/win_main_form.h"
#include "ui/win32/win_main_thread.h"
#include "ui/win32/win_paint.h"

namespace kx71 {

// Failures show the bounds, not their bytes.
void PrintTo(const TBounds& b, std::ostream* os) { *os << b.x << ", " << b.y << ", " << b.w << " x " << b.h; }

namespace {

// A 32-bit top-down bitmap selected into a memory DC, for reading what a paint left.
class TCanvas {
 public:
  TCanvas(int width, int height) : width_(width), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~TCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Dc() const { return dc_; }
  const std::uint32_t* Pixels() const {
    GdiFlush();
    return static_cast<const std::uint32_t*>(bits_);
  }
  std::uint32_t At(int x, int y) const { return Pixels()[y * width_ + x]; }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};


class WinWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TWinMainForm>();
    form_->Show();
    Pump();
  }

  void Pump() {
    for (int i = 0; i < 3; ++i) form_->MainThread().ProcessMessages();
  }
  HWND Native(const char* name) const { return form_->Native(name); }
  TSize ClientArea() const {
    RECT r{};
    GetClientRect(form_->Handle(), &r);
    return TSize{r.right, r.bottom};
  }
  TMainForm& Form() { return form_->Form(); }
  void Command(const char* name, int code) {
    const HWND control = Native(name);
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
  }
  void Scroll(const char* name, int code, int track = 0) {
    const HWND bar = Native(name);
    if (code == SB_THUMBTRACK) {
      // A drag reports the thumb's place; here the bar's own record of it stands in.
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_POS;
      si.nPos = track;
      SetScrollInfo(bar, SB_CTL, &si, FALSE);
    }
    SendMessageW(GetParent(bar), WM_HSCROLL, MAKEWPARAM(code, track), reinterpret_cast<LPARAM>(bar));
  }
  std::string Focused() {
    const HWND focus = GetFocus();
    for (const TControlDef& def : Layout())
      if (Native(def.name) == focus && focus != nullptr) return def.name;
    return "-";
  }

  std::unique_ptr<TWinMainForm> form_;
};

// A focus set while the window was hidden activated it unseen, and it showed inactive (a grey
// title): the window is activated by its show, with the selector holding the focus.
TEST(WinStart, TheWindowShowsActiveWithTheFocusOnTheSelector) {
  TWinMainForm form;
  EXPECT_NE(GetActiveWindow(), form.Handle()) << "active while hidden";
  EXPECT_NE(GetFocus(), form.Native("CommBox")) << "focused while hidden";
  form.Show();
  for (int i = 0; i < 3; ++i) form.MainThread().ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), form.Handle());
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetWindowInfo(form.Handle(), &info));
  EXPECT_EQ(info.dwWindowStatus, static_cast<DWORD>(WS_ACTIVECAPTION)) << "the title shows inactive";
  EXPECT_EQ(GetFocus(), form.Native("CommBox"));
  EXPECT_EQ(form.Form().Focused(), form.Form().Find("CommBox"));
}

TEST_F(WinWindow, AClickOnTheCheckedOptionRunsNoHandler) {
  Form().THR_BAR.SetPosition(3);
  // Windows sends BN_CLICKED for the option that is already checked, too.
  SendMessageW(Native("Handy0"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Form().THR_BAR.Position(), 3);
  EXPECT_EQ(Form().K_Comment.Text(), "Message from developer：");
  SendMessageW(Native("Handy1"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(Form().THR_BAR.Position(), 6);
  EXPECT_EQ(SendMessageW(Native("Handy1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(Native("Handy0"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(WinWindow, AQuickSecondClickOnACommandButtonStillClicks) {
  // Owner-drawn buttons report the second click of a pair as a double click.
  Command("READ_BTN", BN_CLICKED);
  EXPECT_EQ(Form().MON_EDIT.Text(), "Loading NG");
  Form().MON_EDIT.SetText("");
  Command("READ_BTN", BN_DOUBLECLICKED);
  EXPECT_EQ(Form().MON_EDIT.Text(), "Loading NG");
}

struct ScrollCase {
  const char* bar;
  int code, track;
  int position;     // the logic's, and the native bar's, afterwards
  const char* edit;  // what the partner edit shows
};

class WinScroll : public WinWindow, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(WinScroll, TheBarFollowsTheLogicWithinItsRange) {
  const ScrollCase& c = GetParam();
  // The bars' panels stay hidden in the program, and a hidden control takes no user input.
  auto* panel = dynamic_cast<TPanel*>(Form().Find(c.bar)->Parent());
  ASSERT_NE(panel, nullptr);
  panel->SetVisible(true);
  ASSERT_TRUE(IsWindowVisible(Native(c.bar)));
  Scroll(c.bar, c.code, c.track);
  Pump();
  const auto* bar = dynamic_cast<TBar*>(Form().Find(c.bar));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Position(), c.position);
  EXPECT_EQ(GetScrollPos(Native(c.bar), SB_CTL), c.position);
  EXPECT_EQ(dynamic_cast<TEdit*>(bar->Partner())->Text(), c.edit);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, WinScroll,
    ::testing::Values(ScrollCase{"THR_BAR", SB_LINELEFT, 0, 1, "1"},  // at its minimum already
                      ScrollCase{"THR_BAR", SB_LINERIGHT, 0, 2, "2"}, ScrollCase{"THR_BAR", SB_RIGHT, 0, 250, "250"},
                      ScrollCase{"LAST_BAR", SB_PAGERIGHT, 0, 1, "1"},
                      ScrollCase{"LAST_BAR", SB_THUMBTRACK, 200, 200, "200"},
                      ScrollCase{"YOBI2_BAR", SB_LINERIGHT, 0, 2, "2"},  // its step is 2
                      ScrollCase{"YOBI2_BAR", SB_THUMBTRACK, 75, 75, "74"},
                      ScrollCase{"YOBI2_BAR", SB_LEFT, 0, 0, "0"}));

TEST_F(WinWindow, TheCloseUpTakesTheSelectionSettledAfterIt) {
  const HWND box = Native("CommBox");
  // A selection change that Windows delivers after the close-up still counts, either way round.
  for (const auto& [atCloseUp, after] : {std::pair{3, 0}, std::pair{0, 3}}) {
    Form().MON_EDIT.SetText("");
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(atCloseUp), 0);
    Command("CommBox", CBN_CLOSEUP);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(after), 0);
    EXPECT_EQ(Form().MON_EDIT.Text(), "") << "taken before the notifications were all in";
    Pump();
    EXPECT_EQ(Form().CommBox.ItemIndex(), after);
    const std::string shown = Form().MON_EDIT.Text();
    if (after == 0) {
      EXPECT_EQ(shown, "Closed a serial port");
    } else {
      // Opened or not (whatever COM3 is on this machine), it is COM3 the selector went for.
      EXPECT_TRUE(shown == "Connected to COM3" || shown == "Cannot use COM3") << shown;
    }
  }
  Form().CommX1.Close();
}

// The chain itself is the logic's (tests/form): here, that the window's keys follow it although
// the z-order differs (the picture panel lies on top, yet comes last).
TEST_F(WinWindow, TabAndTheArrowsMoveTheFocusWhereTheLogicSays) {
  ASSERT_EQ(Focused(), "CommBox");
  const TControl* at = &Form().CommBox;
  for (int i = 0; i < 6; ++i) {
    const TControl* next = Form().TabNext(at);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    ASSERT_EQ(Focused(), next->Name()) << "after " << at->Name();
    at = next;
  }
  // An arrow on an option chooses the logic's neighbour, which takes the focus.
  SetFocus(Native("Handy0"));
  PostMessageW(Native("Handy0"), WM_KEYDOWN, VK_UP, 0);
  Pump();
  EXPECT_TRUE(Form().Handy_M.Checked());
  EXPECT_EQ(Focused(), "Handy_M");
}

TEST_F(WinWindow, AClickOnAStepButtonLeavesTheFocusOnTheEditor) {
  Form().Panel2.SetVisible(true);
  Pump();
  Form().SetFocus(Form().YOUID_EDIT);
  ASSERT_EQ(Focused(), "YOUID_EDIT");
  // Typed, not yet taken: a step goes from the stored value, unless the edit was left first.
  SetWindowTextW(Native("YOUID_EDIT"), L"42");
  ASSERT_EQ(Form().YOUID_EDIT.Text(), "42");
  const HWND step = Native("YOUID_INC");
  RECT r{};
  GetClientRect(step, &r);
  const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
  SendMessageW(step, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  EXPECT_EQ(Focused(), "YOUID_EDIT") << "the button took the focus";
  SendMessageW(step, WM_LBUTTONUP, 0, middle);
  Pump();
  EXPECT_EQ(Focused(), "YOUID_EDIT");
  EXPECT_EQ(Form().Focused(), &Form().YOUID_EDIT);
  EXPECT_EQ(Form().YOUID_EDIT.Text(), "1") << "the edit was left before the step, or the click was lost";
}

TEST_F(WinWindow, TheClientAreaStaysAtTheLogicsSize) {
  const HWND window = form_->Handle();
  ASSERT_EQ(ClientArea(), (TSize{310, 416}));
  for (const SIZE size : {SIZE{600, 700}, SIZE{100, 80}}) {
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(ClientArea(), (TSize{310, 416}));
  }
  ShowWindow(window, SW_MAXIMIZE);
  Pump();
  EXPECT_EQ(ClientArea(), (TSize{310, 416}));
  // A window manager keeps a maximised frame at its own size: the window leaves the state.
  EXPECT_FALSE(IsZoomed(window));
  // A panel shown grows the window, and it shrinks back when the panel goes.
  Form().Panel5.SetVisible(true);
  Pump();
  EXPECT_EQ(ClientArea(), Form().ClientSize());
  EXPECT_EQ(ClientArea().height, 441);
  Form().Panel5.SetVisible(false);
  Pump();
  EXPECT_EQ(ClientArea(), (TSize{310, 416}));
}

// A move to a monitor of another DPI: Windows sends the new DPI and a suggested place and size.
TEST_F(WinWindow, AChangeOfDpiLaysEveryControlOutAtTheNewScaleAndKeepsTheFittedSize) {
  const HWND window = form_->Handle();
  const auto place = [this](const char* name) {
    const HWND hwnd = Native(name);
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return TBounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  const auto fontPixels = [this](const char* name) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Native(name), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return -lf.lfHeight;
  };
  ASSERT_EQ(ClientArea(), (TSize{310, 416}));
  struct Step {
    int dpi;
    TSize client;
    TBounds level, selector, write;  // Handy0, CommBox (closed), PROGRAM_BTN
    int font;
  };
  for (const Step& step : {Step{144, {465, 624}, {144, 96, 194, 27}, {144, 5, 314, 27}, {3, 3, 60, 36}, 18},
                           Step{192, {620, 832}, {192, 128, 258, 36}, {192, 6, 418, 36}, {4, 4, 80, 48}, 24},
                           Step{96, {310, 416}, {96, 64, 129, 18}, {96, 3, 209, 18}, {2, 2, 40, 24}, 12}}) {
    RECT suggested{40, 30, 40 + 700, 30 + 500};  // not the fitted size
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    EXPECT_EQ(ClientArea(), step.client) << step.dpi;
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 40) << step.dpi;
    EXPECT_EQ(outer.top, 30) << step.dpi;
    EXPECT_EQ(place("Handy0"), step.level) << step.dpi;
    EXPECT_EQ(place("CommBox"), step.selector) << step.dpi;
    EXPECT_EQ(place("PROGRAM_BTN"), step.write) << step.dpi;
    EXPECT_EQ(fontPixels("Handy0"), step.font) << step.dpi;
    EXPECT_EQ(SendMessageW(Native("CommBox"), CB_GETITEMHEIGHT, 0, 0), step.font) << step.dpi << ": the list's rows";
    // The size rule holds at the new scale.
    SetWindowPos(window, nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(ClientArea(), step.client) << step.dpi;
  }
  // A panel first shown at another DPI is made at it, and the window grows by its scaled height.
  RECT suggested{0, 0, 500, 700};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  Form().Panel5.SetVisible(true);
  Pump();
  EXPECT_EQ(ClientArea(), (TSize{465, 662}));
  EXPECT_EQ(place("OT_ON"), (TBounds{186, 6, 56, 18}));
  EXPECT_EQ(fontPixels("OT_ON"), 18);
}

TEST_F(WinWindow, EveryLevelsMessageShowsWholeInTheCommentBoxAtEachScale) {
  const HWND comment = Native("K_Comment");
  for (const int dpi : {96, 144, 192}) {
    RECT suggested{0, 0, 400, 400};
    SendMessageW(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const TScale scale(dpi);
    RECT box{};
    GetClientRect(comment, &box);
    HDC dc = GetDC(comment);
    const HFONT font = MakeUiFont(scale.FontPixels({}));
    const HGDIOBJ old = SelectObject(dc, font);
    for (int i = 0; i < kLevelCount; ++i) {
      const LevelInfo& level = Info(static_cast<HandicapLevel>(i));
      const auto lines = WrapLines(Widen(level.message), box.right, [dc](std::wstring_view s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
      });
      EXPECT_LE(static_cast<int>(lines.size()) * scale.RowHeight(Form().K_Comment.Def()), box.bottom)
          << level.caption << " at " << dpi << " DPI: " << lines.size() << " lines";
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(comment, dc);
  }
}

// What the main window saw of its end: whether it was hidden first, and the port then.
struct TEnd {
  TCommX* comm;
  bool hidden = false, portOpenAtDestroy = true, destroyed = false;
};

LRESULT CALLBACK WatchEnd(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* end = reinterpret_cast<TEnd*>(data);
  if (msg == WM_WINDOWPOSCHANGING && (reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_HIDEWINDOW) != 0)
    end->hidden = true;
  if (msg == WM_SHOWWINDOW && wp == FALSE) end->hidden = true;
  if (msg == WM_DESTROY) {
    end->destroyed = true;
    end->portOpenAtDestroy = end->comm->IsOpen();
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// A hidden window would keep Wine waiting for a window manager (two seconds without one) before the
// window goes; the port must not wait with it.
TEST_F(WinWindow, TheExitReleasesThePortAndDestroysTheWindowWithoutHidingItFirst) {
  const char* port = std::getenv("KX71_E2E_PORT");  // the end-to-end script's unit
  TEnd end{&Form().CommX1};
  if (port != nullptr) {
    Form().CommX1.SetPortNo(std::atoi(port));
    Form().CommX1.Open();
    ASSERT_TRUE(Form().CommX1.IsOpen());
  }
  ASSERT_TRUE(SetWindowSubclass(form_->Handle(), &WatchEnd, 1, reinterpret_cast<DWORD_PTR>(&end)));
  Command("EXIT_BTN", BN_CLICKED);
  Pump();
  EXPECT_TRUE(end.destroyed);
  EXPECT_FALSE(end.hidden);
  if (port != nullptr) {
    EXPECT_FALSE(end.portOpenAtDestroy);
  }
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the window's, not the next test's
}

TEST_F(WinWindow, TheOpenListsRowsAreTheTablesHeightApart) {
  const HWND box = Native("CommBox");
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(box, &info));
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  RECT first{}, second{};
  SendMessageW(info.hwndList, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  RECT list{}, client{};
  GetWindowRect(info.hwndList, &list);
  GetClientRect(form_->Handle(), &client);
  MapWindowPoints(form_->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  Pump();
  EXPECT_EQ(second.top - first.top, Form().CommBox.Def().rowHeight);
  // On the 800 x 600 test screen the list opens above the box.
  EXPECT_TRUE(list.bottom <= client.bottom) << list.bottom << " below the window's " << client.bottom;
}

// The closed selector's text as the box paints it: centred on the box's face (as on the other front
// end) and clear of its edge and of the focus rectangle around the field.
TEST_F(WinWindow, TheSelectorsTextIsCentredOnItsFace) {
  const HWND box = Native("CommBox");
  SetFocus(Native("Handy0"));  // dark text on the window's colour
  Pump();
  RECT r{};
  GetClientRect(box, &r);
  ASSERT_EQ(r.bottom, Form().CommBox.Def().h);
  const TCanvas canvas(r.right, r.bottom);
  ASSERT_TRUE(PrintWindow(box, canvas.Dc(), PW_CLIENTONLY));
  int top = r.bottom, bottom = -1;
  // Inside the 2-pixel edge, left of the button.
  for (int y = 2; y < r.bottom - 2; ++y) {
    for (int x = 3; x < r.right / 2; ++x) {
      const std::uint32_t p = canvas.At(x, y);
      if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 96) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  ASSERT_GE(bottom, top) << "no text";
  const int above = top, below = r.bottom - 1 - bottom;
  EXPECT_LE(std::abs(above - below), 1) << "ink in rows " << top << " to " << bottom;
  EXPECT_GE(below, 4) << "on the edge (2 rows) or under the focus rectangle";
}

TEST_F(WinWindow, ScreenReadersNameEachPictureButtonAsTheTableDoes) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  int buttons = 0;
  for (const TControlDef& def : Layout()) {
    if (def.kind != TControlKind::PictureButton) continue;
    ++buttons;
    const HWND button = Native(def.name);
    EXPECT_EQ(Narrow(WindowText(button)), def.accessible) << def.name;
    // The name as assistive tools get it. (64-bit Wine 8 gives no accessible object for a button.)
    IAccessible* object = nullptr;
    if (AccessibleObjectFromWindow(button, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&object)) != S_OK) {
      EXPECT_EQ(sizeof(void*), 8u) << def.name << ": no accessible object";
      continue;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(self, &name), S_OK) << def.name;
    EXPECT_EQ(Narrow(name != nullptr ? name : L""), def.accessible) << def.name;
    SysFreeString(name);
    object->Release();
  }
  EXPECT_EQ(buttons, 3);
  CoUninitialize();
}

TEST_F(WinWindow, TheCommentsTextBeginsAtTheFramesInnerEdge) {
  const HWND comment = Native("K_Comment");
  RECT box{};
  GetClientRect(comment, &box);
  const TCanvas canvas(box.right, box.bottom);
  const HFONT font = MakeUiFont(kUiFontPixels);
  PaintComment(canvas.Dc(), box, {static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), font, 12}, L"Message from developer");
  int left = box.right;
  for (int y = 0; y < box.bottom; ++y)
    for (int x = 0; x < left; ++x)
      if ((canvas.At(x, y) & 0xFFFFFF) != 0xFFFFFF) left = x;
  // "M" has no side bearing to speak of: its first ink is where the line begins.
  EXPECT_LE(left, 1);
  DeleteObject(font);
}

std::vector<std::uint32_t> Words(HBITMAP bitmap) {
  BITMAP bm{};
  GetObjectW(bitmap, sizeof bm, &bm);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> words(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), words.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != bm.bmHeight) return {};
  for (std::uint32_t& w : words) w &= 0xFFFFFF;
  return words;
}

// The copy of the decorative picture the build stores for 96 DPI holds the pixels the window makes
// of the picture at every other size.
TEST(WinPicture, TheStoredShownPictureIsTheOneTheWindowWouldMake) {
  const auto layout = Layout();
  const auto row = std::find_if(layout.begin(), layout.end(),
                                [](const TControlDef& def) { return def.kind == TControlKind::Picture; });
  ASSERT_NE(row, layout.end());
  ASSERT_NE(FindResourceW(nullptr, L"DECOR_SHOWN", RT_BITMAP), nullptr) << "no stored copy";
  TWinResources resources;
  const SIZE size{row->w, row->h};
  const HBITMAP stored = resources.Artwork(row->resource, size);
  const HBITMAP made = StretchPicture(resources.Artwork(row->resource), size);
  ASSERT_NE(stored, nullptr);
  ASSERT_NE(made, nullptr);
  const std::vector<std::uint32_t> want = Words(made);
  ASSERT_EQ(want.size(), static_cast<std::size_t>(size.cx * size.cy));
  EXPECT_TRUE(Words(stored) == want) << "the stored copy differs from the resampled picture";
  DeleteObject(made);
}

TEST(WinMainThread, PostedTasksRunInOrderOnlyWhenMessagesAreHandled) {
  TWinMainThread mainThread;
  std::vector<int> ran;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i) mainThread.Post([&ran, i] { ran.push_back(i); });
  });
  poster.join();
  EXPECT_TRUE(ran.empty()) << "a task ran inside Post";
  mainThread.ProcessMessages();
  std::vector<int> want(50);
  for (int i = 0; i < 50; ++i) want[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(ran, want);
}

TEST(WinMainThread, AQuitSeenWhileAHandlerPumpsEndsTheLoopAfterIt) {
  TWinMainThread mainThread;
  bool after = false;
  mainThread.Post([&] {
    PostQuitMessage(3);
    mainThread.ProcessMessages();  // takes the quit, and must leave it for the outer loop
    after = true;
  });
  EXPECT_EQ(mainThread.Run(), 3);
  EXPECT_TRUE(after);
}

// The failure box's text in the system's message font: each Japanese character draws its own glyph,
// not the mark of a missing one (the message font alone has no Japanese; Windows links it to one).
TEST(WinFonts, TheMessageFontDrawsTheFailureBoxsJapanese) {
  std::wstring text;
  try {
    StrToInt("X");
  } catch (const EConvertError& e) {
    text = Widen(e.what());
  }
  ASSERT_FALSE(text.empty());
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  const TCanvas canvas(32, 32);
  const HDC dc = canvas.Dc();
  const HGDIOBJ oldFont = SelectObject(dc, font);
  const auto draw = [&](wchar_t c) {
    RECT r{0, 0, 32, 32};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(dc, &c, 1, &r, DT_NOPREFIX | DT_SINGLELINE);
    const std::uint32_t* p = canvas.Pixels();
    return std::vector<std::uint32_t>(p, p + 32 * 32);
  };
  const auto blank = draw(L' ');
  const auto missing = draw(L'\x0378');  // no character: no face has a glyph for it
  int japanese = 0;
  for (const wchar_t c : text) {
    if (c < 0x3000) continue;
    ++japanese;
    const auto drawn = draw(c);
    EXPECT_FALSE(drawn == missing) << "U+" << std::hex << static_cast<int>(c) << " draws as a missing glyph";
    EXPECT_FALSE(drawn == blank) << "U+" << std::hex << static_cast<int>(c) << " draws nothing";
  }
  EXPECT_GT(japanese, 3);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

struct WrapCase {
  const wchar_t* text;
  int width;  // in characters: each is one unit wide
  std::vector<std::wstring> lines;
};

class WrapLinesTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapLinesTest, BreaksAtLineEndsSpacesAndOverlongWords) {
  const WrapCase& c = GetParam();
  EXPECT_EQ(WrapLines(c.text, c.width, [](std::wstring_view s) { return static_cast<int>(s.size()); }), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapLinesTest,
    ::testing::Values(WrapCase{L"short", 10, {L"short"}}, WrapCase{L"a\r\n\r\nb", 10, {L"a", L"", L"b"}},
                      WrapCase{L"one two three", 8, {L"one two", L"three"}},
                      WrapCase{L"abcdefghij", 4, {L"abcd", L"efgh", L"ij"}},
                      WrapCase{L"ab  cd", 3, {L"ab", L"cd"}}, WrapCase{L"x\ny", 5, {L"x", L"y"}}));

TEST(WinFonts, TheWindowsFaceIsAJapaneseGothicThatIsPresent) {
  // The test prefix maps the named face to a present one; elsewhere a stand-in is taken.
  const std::wstring& face = UiFaceName();
  EXPECT_FALSE(face.empty());
  HDC dc = GetDC(nullptr);
  const HFONT font = MakeUiFont(kUiFontPixels);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
  EXPECT_NE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "proportional (the flag is set for variable pitch)";
  // "i" narrower than "W": a proportional face, not the monospaced fallback.
  SIZE narrow{}, wide{};
  GetTextExtentPoint32W(dc, L"i", 1, &narrow);
  GetTextExtentPoint32W(dc, L"W", 1, &wide);
  EXPECT_LT(narrow.cx, wide.cx);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
}

}  // namespace
}  // namespace kx71
