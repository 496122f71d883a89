// kx71-probe: reads the running window's state from outside, in the same Wine prefix (or Windows
// session), for the window tests. Each command prints one line; several may follow each other:
//   wait-window MS        the window is shown (exit 1 after MS milliseconds)
//   text NAME             the control's text as the control holds it (UTF-8)
//   wait-text NAME T MS   waits until the text is T (exit 1 with the last text after MS)
//   checked NAME          1 when the option is checked, else 0
//   pos NAME              the scroll bar's position
//   selected NAME         the selector's shown entry; items NAME: its number of entries
//   focus                 the name of the control with the keyboard focus
//   client                the window's client size, "W H"
//   rect NAME             the control's place in its parent, "X Y W H VISIBLE"
//   where NAME            the screen point at the control's centre, "X Y"
//   item-where NAME T     the screen point at entry T of the selector's dropped-down list
//   click NAME            a click posted to the button; close: WM_CLOSE posted to the window
//   resize W H            asks the window for an outer size of W x H
//   pid                   the window's process id
//   dpi                   the DPI the window is shown at
//   layout                each made control whose place is not where the layout puts it at that
//                         DPI, one line each, then "N controls checked"
//   dropped NAME          1 while the selector's list is dropped down, else 0
//   box-text              the text of the program's message box; box-ok: its OK button clicked
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ui/form/layout.h"
#include "ui/form/scale.h"
#include "ui/win32/win_dpi.h"
#include "ui/win32/win_main_form.h"

namespace {

using kx71::Layout;

HWND MainWindow() { return FindWindowW(kx71::kMainWindowClass, nullptr); }

struct TFind {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<TFind*>(lp);
  if (GetDlgCtrlID(hwnd) == f->id) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

int IdOf(std::string_view name) {
  const auto layout = Layout();
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (name == layout[i].name) return kx71::kFirstControlId + static_cast<int>(i);
  return -1;
}

HWND Control(std::string_view name) {
  const HWND main = MainWindow();
  TFind f{IdOf(name), nullptr};
  if (main == nullptr || f.id < 0) return nullptr;
  EnumChildWindows(main, &MatchId, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

LRESULT Ask(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

std::string Text(HWND hwnd) {
  wchar_t buffer[1024] = {};
  Ask(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  return kx71::Narrow(buffer);
}

[[noreturn]] void Fail(const std::string& what) {
  std::printf("probe: %s\n", what.c_str());
  std::fflush(stdout);
  std::exit(1);
}

HWND Need(std::string_view name) {
  const HWND hwnd = Control(name);
  if (hwnd == nullptr) Fail("no control " + std::string(name));
  return hwnd;
}

struct TTopFind {
  DWORD thread;
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<TTopFind*>(lp);
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (GetWindowThreadProcessId(hwnd, nullptr) == f->thread && IsWindowVisible(hwnd) && lstrcmpiW(cls, f->cls) == 0) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A shown top-level window of the thread, of the class.
HWND ThreadTop(DWORD thread, const wchar_t* cls) {
  TTopFind f{thread, cls, nullptr};
  EnumWindows(&MatchTop, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

HWND DroppedList(DWORD thread) { return ThreadTop(thread, L"ComboLBox"); }

HWND MessageBoxWindow() {
  const HWND main = MainWindow();
  const HWND box = main != nullptr ? ThreadTop(GetWindowThreadProcessId(main, nullptr), L"#32770") : nullptr;
  if (box == nullptr) Fail("no message box");
  return box;
}

// The probe sees the window's pixels as they are, not as Windows would show them to a program that
// knows no DPI.
void BeAwareOfEachMonitorsDpi() {
  using TSetContext = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto set = reinterpret_cast<TSetContext>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (set == nullptr || !set(reinterpret_cast<HANDLE>(-4)))  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    SetProcessDPIAware();
}

// A control's place in its parent.
RECT PlaceOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Prints each made control that is not where the scaled layout puts it; returns how many were seen.
int CheckLayout(int dpi) {
  const kx71::TScale scale(dpi);
  int checked = 0;
  for (const kx71::TControlDef& def : Layout()) {
    const HWND hwnd = Control(def.name);
    if (hwnd == nullptr) continue;  // a hidden panel's, made only when shown
    ++checked;
    const RECT r = PlaceOf(hwnd);
    const kx71::TBounds want = scale.Bounds(def);
    const kx71::TBounds got{r.left, r.top, r.right - r.left, r.bottom - r.top};
    // Captions take their text's size.
    if (got.x != want.x || got.y != want.y || (def.w != kx71::kFitted && got.w != want.w) ||
        (def.h != kx71::kFitted && got.h != want.h))
      std::printf("%s at %d %d %d %d, not %d %d %d %d\n", def.name, got.x, got.y, got.w, got.h, want.x, want.y, want.w,
                  want.h);
  }
  return checked;
}

void Centre(HWND hwnd, RECT r) {
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(hwnd, &p);
  std::printf("%ld %ld\n", static_cast<long>(p.x), static_cast<long>(p.y));
}

}  // namespace

int main(int argc, char** argv) {
  BeAwareOfEachMonitorsDpi();
  for (int i = 1; i < argc; ++i) {
    const std::string_view cmd = argv[i];
    const auto arg = [&](const char* what) -> const char* {
      if (i + 1 >= argc) Fail(std::string(cmd) + ": missing " + what);
      return argv[++i];
    };
    if (cmd == "wait-window") {
      const DWORD limit = static_cast<DWORD>(std::atoi(arg("MS")));
      const DWORD start = GetTickCount();
      HWND main;
      while ((main = MainWindow()) == nullptr || !IsWindowVisible(main)) {
        if (GetTickCount() - start > limit) Fail("no window");
        Sleep(20);
      }
      std::printf("ok\n");
    } else if (cmd == "text") {
      std::printf("%s\n", Text(Need(arg("NAME"))).c_str());
    } else if (cmd == "wait-text") {
      const HWND hwnd = Need(arg("NAME"));
      const std::string want = arg("TEXT");
      const DWORD limit = static_cast<DWORD>(std::atoi(arg("MS")));
      const DWORD start = GetTickCount();
      std::string got;
      while ((got = Text(hwnd)) != want) {
        if (GetTickCount() - start > limit) Fail("text is '" + got + "', not '" + want + "'");
        Sleep(20);
      }
      std::printf("%s\n", got.c_str());
    } else if (cmd == "checked") {
      std::printf("%d\n", Ask(Need(arg("NAME")), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    } else if (cmd == "pos") {
      std::printf("%d\n", static_cast<int>(Ask(Need(arg("NAME")), SBM_GETPOS, 0, 0)));
    } else if (cmd == "selected") {
      const HWND box = Need(arg("NAME"));
      const auto index = Ask(box, CB_GETCURSEL, 0, 0);
      wchar_t buffer[256] = {};
      if (index >= 0 && Ask(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < 255)
        Ask(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
      std::printf("%s\n", kx71::Narrow(buffer).c_str());
    } else if (cmd == "items") {
      std::printf("%d\n", static_cast<int>(Ask(Need(arg("NAME")), CB_GETCOUNT, 0, 0)));
    } else if (cmd == "focus") {
      const HWND main = MainWindow();
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      std::string name = "-";
      if (main != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && info.hwndFocus) {
        const int index = GetDlgCtrlID(info.hwndFocus) - kx71::kFirstControlId;
        if (index >= 0 && static_cast<std::size_t>(index) < Layout().size()) name = Layout()[index].name;
      }
      std::printf("%s\n", name.c_str());
    } else if (cmd == "rect") {
      const HWND hwnd = Need(arg("NAME"));
      const RECT r = PlaceOf(hwnd);
      std::printf("%ld %ld %ld %ld %d\n", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top),
                  IsWindowVisible(hwnd) ? 1 : 0);
    } else if (cmd == "client") {
      RECT r{};
      GetClientRect(MainWindow(), &r);
      std::printf("%ld %ld\n", static_cast<long>(r.right), static_cast<long>(r.bottom));
    } else if (cmd == "where") {
      const HWND hwnd = Need(arg("NAME"));
      RECT r{};
      GetClientRect(hwnd, &r);
      // The closed box, not its list.
      if (GetDlgCtrlID(hwnd) == IdOf("CommBox")) r.bottom = kx71::TScale(kx71::WindowDpi(hwnd)).Pixels(18);
      Centre(hwnd, r);
    } else if (cmd == "item-where") {
      const HWND box = Need(arg("NAME"));
      const std::wstring want = kx71::Widen(arg("TEXT"));
      // The dropped-down list is a top-level window of the program's thread; its rows are
      // computed from its place (pointers in messages do not cross processes).
      const HWND list = DroppedList(GetWindowThreadProcessId(box, nullptr));
      if (list == nullptr) Fail("no list");
      const auto index = Ask(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(want.c_str()));
      if (index < 0) Fail("no entry " + kx71::Narrow(want));
      const auto top = Ask(list, LB_GETTOPINDEX, 0, 0);
      const auto height = Ask(list, LB_GETITEMHEIGHT, 0, 0);
      RECT client{};
      GetClientRect(list, &client);
      const long y = static_cast<long>((index - top) * height + height / 2);
      if (y < 0 || y >= client.bottom) Fail("entry out of view");
      POINT p{client.right / 2, static_cast<LONG>(y)};
      ClientToScreen(list, &p);
      std::printf("%ld %ld\n", static_cast<long>(p.x), static_cast<long>(p.y));
    } else if (cmd == "click") {
      PostMessageW(Need(arg("NAME")), BM_CLICK, 0, 0);
      std::printf("ok\n");
    } else if (cmd == "close") {
      PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
      std::printf("ok\n");
    } else if (cmd == "resize") {
      const int w = std::atoi(arg("W")), h = std::atoi(arg("H"));
      SetWindowPos(MainWindow(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      std::printf("ok\n");
    } else if (cmd == "dropped") {
      std::printf("%d\n", Ask(Need(arg("NAME")), CB_GETDROPPEDSTATE, 0, 0) ? 1 : 0);
    } else if (cmd == "box-text") {
      std::printf("%s\n", Text(GetDlgItem(MessageBoxWindow(), 0xFFFF)).c_str());  // the box's static text
    } else if (cmd == "box-ok") {
      PostMessageW(GetDlgItem(MessageBoxWindow(), IDOK), BM_CLICK, 0, 0);
      std::printf("ok\n");
    } else if (cmd == "dpi") {
      std::printf("%d\n", kx71::WindowDpi(MainWindow()));
    } else if (cmd == "layout") {
      std::printf("%d controls checked\n", CheckLayout(kx71::WindowDpi(MainWindow())));
    } else if (cmd == "pid") {
      DWORD pid = 0;
      GetWindowThreadProcessId(MainWindow(), &pid);
      std::printf("%lu\n", static_cast<unsigned long>(pid));
    } else {
      Fail("unknown command " + std::string(cmd));
    }
    std::fflush(stdout);
  }
  return 0;
}
