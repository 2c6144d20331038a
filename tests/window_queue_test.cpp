// The platform's message queue rules, seen through a window of the test's own class.
#include <gtest/gtest.h>

#include <vector>

#include "fake_platform.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

namespace {

std::vector<UINT> seen;

LRESULT Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

void Tick(HWND, UINT, UINT_PTR, DWORD) { seen.push_back(WM_TIMER); }

class WindowQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    seen.clear();
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = Record;
    c.lpszClassName = "queue test";
    ASSERT_NE(RegisterClassExA(&c), 0);
    window = CreateWindowExA(0, "queue test", "t", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window);
    fake::ResetPlatform();
  }

  // Every message now waiting, in the order the queue hands them out.
  std::vector<UINT> Drain() {
    std::vector<UINT> order;
    MSG m;
    for (int guard = 0; guard < 100 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++guard) {
      order.push_back(m.message);
      DispatchMessageA(&m);
    }
    return order;
  }

  HWND window = nullptr;
};

TEST_F(WindowQueueTest, PostedFirstThenQuitThenInputThenPaintThenTimers) {
  SetTimer(window, 1, 10, Tick);
  fake::AdvanceClock(10);
  ShowWindow(window, SW_SHOW);                // a paint request and activation
  fake::Send({fake::EventKind::KeyDown, 1});  // input
  PostMessageA(window, WM_USER, 0, 0);        // posted
  PostQuitMessage(3);
  const std::vector<UINT> order = Drain();
  const std::vector<UINT> expected = {WM_USER, WM_QUIT, WM_ACTIVATEAPP, WM_ACTIVATE, WM_KEYDOWN, WM_PAINT, WM_TIMER};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowQueueTest, PaintStaysUntilValidatedAndTimersWaitForTheirPeriod) {
  ShowWindow(window, SW_SHOW);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, window, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_TRUE(PeekMessageA(&m, window, WM_PAINT, WM_PAINT, PM_REMOVE)) << "removing does not validate";
  DispatchMessageA(&m);  // the default procedure paints
  EXPECT_FALSE(PeekMessageA(&m, window, WM_PAINT, WM_PAINT, PM_REMOVE));

  SetTimer(window, 7, 50, nullptr);
  EXPECT_FALSE(PeekMessageA(&m, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  fake::AdvanceClock(50);
  ASSERT_TRUE(PeekMessageA(&m, window, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&m, window, WM_TIMER, WM_TIMER, PM_REMOVE)) << "next one after another period";
  EXPECT_TRUE(KillTimer(window, 7));
  EXPECT_FALSE(KillTimer(window, 7));
}

TEST_F(WindowQueueTest, ThreadMessagesAndDestroyedWindows) {
  HWND const threadOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostMessageA(nullptr, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, threadOnly, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_FALSE(PeekMessageA(&m, threadOnly, 0, 0, PM_REMOVE));

  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(seen, std::vector<UINT>({WM_CREATE, WM_DESTROY}));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "its messages went with it";
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  window = nullptr;
}

TEST_F(WindowQueueTest, BadArgumentsAreRefused) {
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_FALSE(TranslateMessage(nullptr));
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  WNDCLASSEXA twice{};
  twice.cbSize = sizeof twice;
  twice.lpfnWndProc = Record;
  twice.lpszClassName = "queue test";
  EXPECT_EQ(RegisterClassExA(&twice), 0) << "already registered";
  EXPECT_FALSE(UnregisterClassA("queue test", nullptr)) << "a window still uses it";
  EXPECT_EQ(CreateWindowExA(0, "no such class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_FALSE(GetClientRect(nullptr, nullptr));
  EXPECT_FALSE(GetKeyboardState(nullptr));
  EXPECT_EQ(GetAsyncKeyState(-5), 0);
  EXPECT_EQ(GetAsyncKeyState(256), 0);
  EXPECT_FALSE(GetCursorPos(nullptr));
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, nullptr, 0));
}

}  // namespace
