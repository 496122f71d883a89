#include "ui/win32/win_dpi.h"

namespace kx71 {
namespace {

// A user32 function the oldest supported systems lack, or nullptr: linked by name so that the
// program still starts there.
template <class F>
F User32(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  // Through the generic function type, which the compiler lets any function pointer become.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

}  // namespace

int WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (hwnd != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(hwnd);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(hwnd, dc);
  return dpi;
}

SIZE WindowSizeFor(SIZE client, DWORD style, int dpi) {
  static const auto adjustForDpi =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT r{0, 0, client.cx, client.cy};
  if (adjustForDpi == nullptr || !adjustForDpi(&r, style, FALSE, 0, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, 0);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace kx71
