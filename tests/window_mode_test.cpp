// Switching a running engine between windowed and full-screen display on the fake platform:
// the window's style, place and cursor, the display mode, the log lines and the results.
#include <string>

#include "core/time_counters.h"
#include "engine_fixture.h"
#include "graphics/draw_state.h"
#include "platform/user32.h"
#include "test_support.h"

namespace {

using test_support::Sjis;

constexpr DWORD WindowedStyle = 0x80CA0000;
constexpr DWORD WindowedExStyle = 0x300;
constexpr DWORD FullScreenStyle = 0x80000000;
constexpr DWORD FullScreenExStyle = 0x8;

class WindowModeTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    fake::SetClientSize(800, 600);
  }

  static DWORD Style() { return static_cast<DWORD>(GetWindowLongA(EngineState.MainWindow, GWL_STYLE)); }
  static DWORD ExStyle() { return static_cast<DWORD>(GetWindowLongA(EngineState.MainWindow, GWL_EXSTYLE)); }
  static RECT Outer() {
    RECT r{};
    GetWindowRect(EngineState.MainWindow, &r);
    return r;
  }
  static RECT ClientOnScreen() {
    RECT client{};
    GetClientRect(EngineState.MainWindow, &client);
    POINT topLeft{0, 0};
    ClientToScreen(EngineState.MainWindow, &topLeft);
    return RECT{topLeft.x, topLeft.y, topLeft.x + client.right, topLeft.y + client.bottom};
  }
  static void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
  }
  // The log lines as mirrored to the debugger output, each found after the one before.
  static void ExpectLinesInOrder(const std::vector<std::string>& lines) {
    const std::string& output = fake::DebugOutput();
    std::size_t at = 0;
    for (const std::string& line : lines) {
      const std::size_t found = output.find(Sjis(line), at);
      EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line;
      if (found != std::string::npos) at = found + 1;
    }
  }
  static void ExpectDrawing() {
    ASSERT_EQ(ClearScreen(), 0);
    const int presents = fake::Presented().presents;
    ASSERT_EQ(PresentScreen(), 0);
    EXPECT_EQ(fake::Presented().presents, presents + 1);
    EXPECT_EQ(fake::Presented().lastWidth, GraphicsState.screenWidth);
  }

  test_support::TempDirectory directory_;
};

TEST_F(WindowModeTest, WindowedToFullScreenRestylesTheWindowAndSetsTheDisplayMode) {
  Start();
  fake::ClearDebugOutput();
  fake::ClearStacking();

  EXPECT_EQ(ChangeWindowMode(FALSE), 0);
  EXPECT_EQ(EngineState.Windowed, 0);
  EXPECT_EQ(Style() & ~WS_VISIBLE, FullScreenStyle);
  EXPECT_EQ(ExStyle(), FullScreenExStyle);
  ExpectRect(Outer(), 0, 0, 800, 600);
  ExpectRect(EngineState.ClientRectOnScreen, 0, 0, 800, 600);
  EXPECT_NE(fake::Stacking().find("TopMost"), std::string::npos);
  EXPECT_EQ(EngineState.CursorShown, 0);
  EXPECT_FALSE(fake::CursorVisible());
  int width = 0, height = 0;
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_EQ(EngineState.DisplayChangeSeen, 1);
  EXPECT_EQ(EngineState.ModeSwitching, 0);
  ExpectLinesInOrder({"ChangeWindowMode実行 \r\n", "ウインドウモードフラグが倒されました\r\n",
                      "ウインドウスタイルをフルスクリーンモード用に変更します... 完了\r\n",
                      "画面モード変更処理を開始します\r\n", "画面解像度を変更します... 成功しました\r\n",
                      "画面モード変更処理は正常に終了しました\r\n"});
  ExpectDrawing();
  EXPECT_EQ(GetDrawTarget(), ScreenFront);

  EndEngine();
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0) << "the desktop has its own mode back";
}

// Started full-screen (so no windowed style was ever applied), back to a window: framed,
// visible, its client area centred, the cursor shown, and the desktop in its own mode, also
// after the end.
TEST_F(WindowModeTest, FullScreenToWindowedCentresTheWindowAndGivesTheDesktopItsMode) {
  ChangeWindowMode(FALSE);
  Start();
  ASSERT_EQ(EngineState.Windowed, 0);
  ASSERT_EQ(Style() & ~WS_VISIBLE, FullScreenStyle);
  fake::ClearDebugOutput();

  EXPECT_EQ(ChangeWindowMode(TRUE), 0);
  EXPECT_EQ(EngineState.Windowed, 1);
  EXPECT_EQ(Style(), WindowedStyle | WS_VISIBLE);
  EXPECT_EQ(ExStyle(), WindowedExStyle);
  const RECT outer = Outer();
  const RECT client = ClientOnScreen();
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 600);
  EXPECT_EQ(client.left, (1280 - (outer.right - outer.left)) / 2);
  EXPECT_EQ(client.top, (1024 - (outer.bottom - outer.top)) / 2);
  ExpectRect(EngineState.ClientRectOnScreen, client.left, client.top, client.right, client.bottom);
  EXPECT_EQ(EngineState.CursorShown, 1);
  EXPECT_TRUE(fake::CursorVisible());
  int width = -1, height = -1;
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0) << "the desktop has its own mode back";
  EXPECT_EQ(EngineState.DisplayChangeSeen, 1);
  EXPECT_EQ(EngineState.ModeSwitching, 0);
  ExpectLinesInOrder({"ChangeWindowMode実行 \r\n", "ウインドウモードフラグが立てられました\r\n",
                      "ウインドウスタイルをウインドウモード用に変更します... 完了\r\n",
                      "画面モード変更処理を開始します\r\n", "画面モード変更処理は正常に終了しました\r\n"});
  ExpectDrawing();

  EndEngine();
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0);
}

// The desktop's own mode comes back during the switch to windowed mode as an 8-bit one, which a
// 16-bit screen could not live with had the desktop changed on its own. Inside the switch the
// window procedure only notes the change.
TEST_F(WindowModeTest, TheDisplayChangeOfTheSwitchItselfEndsNothing) {
  fake::SetDesktopDepth(8);
  SetScreenMode(800, 600, 16, 60);
  ChangeWindowMode(FALSE);
  Start();
  EXPECT_EQ(ChangeWindowMode(TRUE), 0);
  EXPECT_EQ(EngineState.DisplayChangeSeen, 1);
  EXPECT_EQ(EngineState.CloseRequested, 0);
  EXPECT_EQ(PumpMessages(), 0);

  // The same change outside a switch ends the program in order.
  SendMessageA(EngineState.MainWindow, WM_DISPLAYCHANGE, 8, MAKELPARAM(1280, 1024));
  EXPECT_EQ(EngineState.CloseRequested, 1);
  EXPECT_EQ(PumpMessages(), -1);
}

TEST_F(WindowModeTest, TheCurrentModeLogsOnlyTheFirstLine) {
  for (const int windowed : {TRUE, FALSE}) {
    SCOPED_TRACE(windowed ? "windowed" : "full-screen");
    ChangeWindowMode(windowed);
    fake::SetIdlePassTime(1);  // the start-up pumps for 200 ms of the clock
    Start();
    fake::ClearDebugOutput();
    const RECT before = Outer();
    EXPECT_EQ(ChangeWindowMode(windowed), 0);
    EXPECT_EQ(fake::DebugOutput(), Sjis("ChangeWindowMode実行 \r\n"));
    const RECT after = Outer();
    ExpectRect(after, before.left, before.top, before.right, before.bottom);
    EndEngine();
  }
}

// A client area as large as the desktop, centred, would start above and left of it: the window
// is moved so that the client area starts at the desktop's corner, in both ways of getting there.
TEST_F(WindowModeTest, AClientAreaThatWouldStartOffTheDesktopStartsAtItsCorner) {
  fake::SetDesktopSize(800, 600);
  for (const bool switched : {false, true}) {
    SCOPED_TRACE(switched ? "switched from full-screen" : "started windowed");
    ChangeWindowMode(switched ? FALSE : TRUE);
    fake::SetIdlePassTime(1);  // the start-up pumps for 200 ms of the clock
    Start();
    if (switched) {
      fake::SetIdlePassTime(1);  // the desktop keeps its mode: the wait ends on the clock
      ASSERT_EQ(ChangeWindowMode(TRUE), 0);
    }
    ExpectRect(EngineState.ClientRectOnScreen, 0, 0, 800, 600);
    ExpectRect(ClientOnScreen(), 0, 0, 800, 600);
    EXPECT_LT(Outer().left, 0);
    EXPECT_LT(Outer().top, 0);
    EndEngine();
  }
}

// Full-screen at the desktop's own size changes nothing on the display, so no display change
// ever arrives: the switch waits for it only a bounded time.
// The same when the millisecond count wraps during the wait.
TEST_F(WindowModeTest, ASwitchThatLeavesTheDisplayAloneWaitsABoundedTime) {
  fake::SetDesktopSize(800, 600);
  Start();
  fake::SetIdlePassTime(1);
  int windowed = FALSE;
  for (const DWORD clock : {1000u, 0x7FFFFF00u}) {
    SCOPED_TRACE(clock);
    fake::SetClock(clock);
    const int started = GetMilliCount();
    EXPECT_EQ(ChangeWindowMode(windowed), 0);
    const int waited = (GetMilliCount() - started) & 0x7FFFFFFF;
    EXPECT_GE(waited, 500);
    EXPECT_LT(waited, 1000);
    EXPECT_EQ(EngineState.DisplayChangeSeen, 0);
    EXPECT_EQ(EngineState.ModeSwitching, 0);
    EXPECT_EQ(Style() & ~WS_VISIBLE, windowed ? WindowedStyle : FullScreenStyle);
    windowed = !windowed;
  }
}

// The display lacks the screen's mode in full-screen: the window is full-screen all the same,
// the graphics run in the fallback mode, and the switch reports the failure.
TEST_F(WindowModeTest, AFailedGraphicsRestartIsReturnedAfterTheRestyle) {
  fake::ClearDisplayModes();
  fake::AddDisplayMode(640, 480, 16, 60);
  Start();
  EXPECT_EQ(ChangeWindowMode(FALSE), -1);
  EXPECT_EQ(EngineState.Windowed, 0);
  EXPECT_EQ(Style() & ~WS_VISIBLE, FullScreenStyle);
  EXPECT_EQ(ExStyle(), FullScreenExStyle);
  EXPECT_EQ(GraphicsState.graphicsStarted, 1);
  EXPECT_EQ(GraphicsState.screenWidth, 640);
  EXPECT_EQ(GraphicsState.screenHeight, 480);
  EXPECT_EQ(GraphicsState.screenBitDepth, 16);
  EXPECT_EQ(EngineState.ModeSwitching, 0);
  ExpectDrawing();
}

}  // namespace
