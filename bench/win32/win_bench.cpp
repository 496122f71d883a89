// Benchmarks of the Windows program, run under Wine by bench/win32/run:
//   kx71-bench-win paint main|empty|text|bare  shows the program's window (or an empty window of
//                                    the same size, one that draws a line in the window's font, or
//                                    one with the program's native controls made bare), prints
//                                    "PAINTED" once every part of it has painted, exits
//   kx71-bench-win exchange PORT     read and write exchanges through the component on the Windows
//                                    main thread against the simulated unit paced at 9600 bit/s on
//                                    COM<PORT>: the overhead above the characters' line time
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_row.h"
#include "comm/CommX.h"
#include "protocol/exchange.h"
#include "ui/form/layout.h"
#include "ui/win32/win_fonts.h"
#include "ui/win32/win_main_form.h"
#include "ui/win32/win_main_thread.h"

namespace kx71 {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kBaud = 9600, kRounds = 100, kWarmUp = 5;
constexpr double kAimMedianMs = 2.0;

// Until nothing waits to be painted (children included), then a line for the caller's clock.
void PumpUntilPainted() {
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if ((HIWORD(GetQueueStatus(QS_PAINT)) & QS_PAINT) == 0) break;
  }
  GdiFlush();
  std::printf("PAINTED\n");
  std::fflush(stdout);
}

// The reference window's line, in the window's font (made before the window, as the program does).
HFONT g_textFont = nullptr;

LRESULT CALLBACK TextWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const HGDIOBJ old = SelectObject(dc, g_textFont);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring line = L"レベル 1 COM1";
  TextOutW(dc, 8, 8, line.c_str(), static_cast<int>(line.size()));
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
  return 0;
}

constexpr wchar_t kReferenceClass[] = L"KX71BenchEmpty";

// A reference window of the program's size, made (as the program's) hidden.
HWND MakeReferenceWindow(WNDPROC proc, DWORD style) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kReferenceClass;
  RegisterClassExW(&wc);
  const TSize client = PanelExtent([](const TControlDef& def) { return !def.Has(kHidden); });
  RECT r{0, 0, client.width, client.height};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  return CreateWindowExW(0, kReferenceClass, L"reference", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                         r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
}

int ShowUntilPainted(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  PumpUntilPainted();
  DestroyWindow(hwnd);
  return 0;
}

// An empty window of the program's size; with `text`, one that draws a line in the window's font,
// to tell the font's share of the start.
int PaintEmpty(bool text) {
  if (text) g_textFont = MakeUiFont(kUiFontPixels);
  ShowUntilPainted(MakeReferenceWindow(text ? TextWindowProc : DefWindowProcW, WS_OVERLAPPEDWINDOW));
  if (g_textFont != nullptr) DeleteObject(g_textFont);
  return 0;
}

// The native controls of the program's window, bare: the same classes and styles where the layout
// puts them, made in the same order, without texts, fonts, pictures or logic. What a start pays for
// its child windows alone: under Wine each costs the server some forty requests to make and paint.
DWORD BareStyle(TControlKind kind, const wchar_t*& cls, DWORD& exStyle) {
  constexpr DWORD child = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
  exStyle = 0;
  switch (kind) {
    case TControlKind::Panel:
      cls = kReferenceClass;
      exStyle = WS_EX_CONTROLPARENT;
      return child | WS_CLIPCHILDREN;
    case TControlKind::StaticText:
      cls = kReferenceClass;
      exStyle = WS_EX_STATICEDGE;
      return child;
    case TControlKind::Caption:
      cls = L"STATIC";
      return child | SS_LEFT | SS_NOPREFIX;
    case TControlKind::Option:
      cls = L"BUTTON";
      return child | BS_RADIOBUTTON | BS_NOTIFY;
    case TControlKind::PictureButton:
    case TControlKind::FlatButton:
      cls = L"BUTTON";
      return child | BS_OWNERDRAW | BS_NOTIFY | WS_TABSTOP;
    case TControlKind::ComboBox:
      cls = L"COMBOBOX";
      return child | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP;
    case TControlKind::Edit:
      cls = L"EDIT";
      exStyle = WS_EX_CLIENTEDGE;
      return child | ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP;
    case TControlKind::Bar:
      cls = L"SCROLLBAR";
      return child | SBS_HORZ | WS_TABSTOP;
    case TControlKind::FilledLabel:
    case TControlKind::Picture:
      break;  // painted by their panel: no window
  }
  cls = nullptr;
  return 0;
}

int PaintBare() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  const HWND hwnd = MakeReferenceWindow(DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  const auto make = [](const TControlDef& def, HWND parent) -> HWND {
    const wchar_t* cls = nullptr;
    DWORD exStyle = 0;
    const DWORD style = BareStyle(def.kind, cls, exStyle);
    if (cls == nullptr) return nullptr;
    const int w = def.w == kFitted ? 60 : def.w;
    const int h = def.h == kFitted ? 13 : def.kind == TControlKind::ComboBox ? def.h * 10 : def.h;
    return CreateWindowExW(exStyle, cls, L"", style, def.x, def.y, w, h, parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  };
  // As the program makes them: siblings last row first; no hidden panel, nor what lies on one.
  const auto layout = Layout();
  for (auto panel = layout.rbegin(); panel != layout.rend(); ++panel) {
    if (panel->kind != TControlKind::Panel || panel->Has(kHidden)) continue;
    const HWND p = make(*panel, hwnd);
    for (auto c = layout.rbegin(); c != layout.rend(); ++c)
      if (std::string_view(c->parent) == panel->name) make(*c, p);
  }
  return ShowUntilPainted(hwnd);
}

int PaintMain() {
  // The steps' times go to stderr, to see where a slow start goes.
  const auto t0 = Clock::now();
  TWinMainForm form;
  const auto t1 = Clock::now();
  form.Show();
  const auto t2 = Clock::now();
  PumpUntilPainted();
  const auto t3 = Clock::now();
  std::fprintf(stderr, "create %.1f ms, show %.1f ms, paint %.1f ms\n", Ms(t1 - t0).count(), Ms(t2 - t1).count(),
               Ms(t3 - t2).count());
  return 0;
}

double LineMs(int chars) { return chars * 10.0 * 1000.0 / kBaud; }

int Exchanges(int port) {
  TWinMainThread mainThread;
  TCommX comm(mainThread);
  comm.SetPortNo(port);
  comm.SetFlowCtrl(cfcNone);
  try {
    comm.Open();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "COM%d: %s\n", port, e.what());
    return 1;
  }
  const auto measure = [&](const char* what, Frame request, int expected, int chars) {
    std::vector<double> overhead;
    int failures = 0;
    for (int i = 0; i < kWarmUp + kRounds; ++i) {
      Frame copy = request, reply;
      const auto start = Clock::now();
      const bool ok = Transact(comm, copy, expected, reply) == expected;
      const double ms = Ms(Clock::now() - start).count();
      if (i < kWarmUp) continue;
      if (!ok) ++failures;
      overhead.push_back(ms - LineMs(chars));
    }
    std::sort(overhead.begin(), overhead.end());
    const double median = (overhead[kRounds / 2 - 1] + overhead[kRounds / 2]) / 2;
    const double p99 = overhead[static_cast<std::size_t>(kRounds * 99 / 100) - 1];
    char figure[96];
    std::snprintf(figure, sizeof figure, "TCommX on Windows (Wine) %s overhead above line time", what);
    BenchRow(median <= kAimMedianMs && failures == 0, figure, "median <= 2 ms", "median %.2f ms, p99 %.2f ms%s",
             median, p99, failures ? ", FAILURES" : "");
  };
  measure("read", ReadRequest(), kReadReplySize, 1 + kReadReplySize);
  SettingsBlock block{};
  block[0] = 0x5A;
  const Frame write = WriteRequest(block);
  measure("write", write, kWriteReplySize, static_cast<int>(write.size()) + kWriteReplySize);
  comm.Close();
  return 0;
}

}  // namespace
}  // namespace kx71

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "paint" && argc > 2) {
    const std::string_view what = argv[2];
    if (what == "main") return kx71::PaintMain();
    if (what == "bare") return kx71::PaintBare();
    return kx71::PaintEmpty(what == "text");
  }
  if (mode == "exchange" && argc > 2) return kx71::Exchanges(std::atoi(argv[2]));
  std::fprintf(stderr, "usage: kx71-bench-win paint main|empty|text|bare | exchange PORT\n");
  return 2;
}
