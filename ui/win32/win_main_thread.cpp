#include "ui/win32/win_main_thread.h"

#include <utility>

namespace kx71 {
namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr wchar_t kClassName[] = L"KX71MainThread";

}  // namespace

TWinMainThread::TWinMainThread() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TWinMainThread::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when a second instance registers it again
  hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWinMainThread::~TWinMainThread() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TWinMainThread::Post(std::function<void()> task) {
  tasks_.Push(std::move(task));
  // One wake-up per task; the queue keeps posted messages of one window in order.
  PostMessageW(hwnd_, kRunTask, 0, 0);
}

void TWinMainThread::RunNext() {
  std::function<void()> task = tasks_.Pop();
  if (!task) return;
  if (runTask)
    runTask(task);
  else
    task();
}

void TWinMainThread::Deliver(MSG& msg) {
  if (filter && filter(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void TWinMainThread::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // For the outer loop, which ends once the handler that pumps has returned.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Deliver(msg);
  }
}

int TWinMainThread::Run() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    Deliver(msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK TWinMainThread::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunTask) {
    if (auto* self = reinterpret_cast<TWinMainThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->RunNext();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kx71
