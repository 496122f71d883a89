// Ways out of the Windows window that come from outside it: a close while the failure box is up,
// and the end of the session (log-off or shut-down).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "ui/win32/win_main_form.h"

namespace kx71 {
namespace {

using namespace std::chrono_literals;

struct TFindBox {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<TFindBox*>(lp);
  wchar_t name[16] = {};
  if (GetWindow(hwnd, GW_OWNER) == f->owner && IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 16) > 0 &&
      std::wstring_view(name) == L"#32770") {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The message box `owner` shows, or nothing.
HWND BoxOf(HWND owner) {
  TFindBox f{owner, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), MatchBox, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

TEST(WinWaysOut, ACloseWhileTheFailureBoxIsUpAnswersItFirstAndEndsTheLoop) {
  TWinMainForm form;
  form.Show();
  const HWND main = form.Handle();
  std::atomic<bool> sent{false};
  std::thread closer([&] {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (BoxOf(main) == nullptr && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    sent = BoxOf(main) != nullptr && PostMessageW(main, WM_CLOSE, 0, 0) != 0;
  });
  form.ShowFailureBox("Kx71-vantor-manager", "'X' は整数ではありません.");  // returns once answered
  closer.join();
  ASSERT_TRUE(sent) << "the box did not show";
  // The handler that showed the box returns to a window that is still there ...
  EXPECT_TRUE(IsWindow(main)) << "destroyed under the box";
  // ... and the close follows by itself.
  EXPECT_EQ(form.Run(), 0);
  EXPECT_FALSE(IsWindow(main));
}

TEST(WinWaysOut, TheEndOfTheSessionClosesThePortBeforeItReturns) {
  TWinMainForm form;
  form.Show();
  const HWND main = form.Handle();
  // The end-to-end script runs these tests with the simulated unit on COM<KX71_E2E_PORT>.
  const char* port = std::getenv("KX71_E2E_PORT");
  if (port != nullptr) {
    form.Form().CommX1.SetPortNo(std::atoi(port));
    form.Form().CommX1.Open();
    ASSERT_TRUE(form.Form().CommX1.IsOpen());
  }
  EXPECT_NE(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
  EXPECT_TRUE(IsWindow(main)) << "only asked";
  SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(form.Form().CommX1.IsOpen());
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(form.Run(), 0);
}

}  // namespace
}  // namespace kx71
