// The windowed client area's scale (set before start-up or on a running engine, chosen for a
// high-density desktop, shrunk for a desktop smaller than the window), Alt+Enter, and a
// full-screen switch the display cannot serve at all, on the fake platform.
#include <cmath>
#include <string>

#include "engine_fixture.h"
#include "test_support.h"

namespace {

using test_support::Sjis;

constexpr int AltKey = 0x38;    // left Alt
constexpr int EnterKey = 0x1C;  // Return

class WindowScaleTest : public EngineFixture {
 protected:
  static RECT Client() {
    RECT client{};
    GetClientRect(EngineState.MainWindow, &client);
    return client;
  }
  // Whether the log has the text after its first `from` bytes.
  static bool Logged(const std::string& text, std::size_t from = 0) {
    return fake::DebugOutput().find(Sjis(text), from) != std::string::npos;
  }
  static POINT CursorAt(int screenX, int screenY) {
    fake::Send({fake::EventKind::MouseMove, screenX, screenY});
    POINT p{};
    GetCursorPosition(&p.x, &p.y);
    return p;
  }

  test_support::TempDirectory directory_;
};

TEST_F(WindowScaleTest, ABadScaleIsRefusedAndChangesNothing) {
  ASSERT_EQ(SetWindowScale(2.0), 0);
  for (const double bad : {0.0, -1.0, std::nan(""), 16.5}) {
    EXPECT_EQ(SetWindowScale(bad), -1) << bad;
    EXPECT_EQ(GetWindowScale(), 2.0) << bad;
  }
}

TEST_F(WindowScaleTest, TheScaleSizesTheWindowBeforeStartUpAndOnARunningEngine) {
  fake::SetDesktopSize(1920, 1440);
  ASSERT_EQ(SetWindowScale(1.5), 0);
  Start();
  EXPECT_EQ(Client().right, 1200);
  EXPECT_EQ(Client().bottom, 900);

  ASSERT_EQ(SetWindowScale(2.0), 0);
  EXPECT_EQ(GetWindowScale(), 2.0);
  EXPECT_EQ(Client().right, 1600);
  EXPECT_EQ(Client().bottom, 1200);
  fake::SetClientSize(1600, 1200);
  ASSERT_EQ(ClearScreen(), 0);
  ASSERT_EQ(PresentScreen(), 0);
  EXPECT_EQ(fake::Presented().lastWidth, 1600);
  EXPECT_EQ(fake::Presented().lastHeight, 1200);
  // The pointer follows: two screen pixels a screen pixel of the picture.
  const RECT& client = EngineState.ClientRectOnScreen;
  const POINT p = CursorAt(client.left + 301, client.top + 3);
  EXPECT_EQ(p.x, 150);
  EXPECT_EQ(p.y, 1);
}

TEST_F(WindowScaleTest, AHighDensityDesktopOpensTheWindowAtAWholeScale) {
  struct Case {
    int dpi, desktopWidth, desktopHeight;
    double set;  // 0: never set
    double scale;
  };
  const Case cases[] = {
      {96, 3840, 2160, 0, 1.0},   // an ordinary density, however large the desktop
      {192, 3840, 2160, 0, 2.0},  // three quarters of 2160 holds 600 twice
      {144, 5120, 2880, 0, 3.0},
      {192, 1280, 1024, 0, 1.0},    // a small high-density desktop: no whole scale above 1 fits
      {192, 3840, 2160, 1.0, 1.0},  // a scale the program set stands
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dpi << " dpi, " << c.desktopWidth << " x " << c.desktopHeight);
    fake::SetDesktopDpi(c.dpi);
    fake::SetDesktopSize(c.desktopWidth, c.desktopHeight);
    EngineState.WindowScale = 0;
    if (c.set > 0) SetWindowScale(c.set);
    fake::SetIdlePassTime(1);
    const std::size_t logged = fake::DebugOutput().size();
    Start();
    EXPECT_EQ(GetWindowScale(), c.scale);
    EXPECT_EQ(Client().right, static_cast<int>(800 * c.scale));
    EXPECT_EQ(Client().bottom, static_cast<int>(600 * c.scale));
    EXPECT_EQ(Logged("高密度の画面のため、ウインドウを", logged), c.scale > 1.0);
    EndEngine();
  }
}

// On a 640 x 480 desktop the 800 x 600 window would be partly off-screen: it opens shrunk so
// that the framed window fits, says so, and the picture and pointer follow the smaller scale.
TEST_F(WindowScaleTest, AWindowLargerThanTheDesktopIsShrunkToFit) {
  fake::SetDesktopSize(640, 480);
  fake::SetIdlePassTime(1);
  Start();
  RECT outer{};
  GetWindowRect(EngineState.MainWindow, &outer);
  EXPECT_LE(outer.right - outer.left, 640);
  EXPECT_LE(outer.bottom - outer.top, 480);
  const double scale = GetWindowScale();
  EXPECT_LT(scale, 1.0);
  EXPECT_EQ(Client().right, static_cast<int>(800 * scale));
  EXPECT_EQ(Client().bottom, static_cast<int>(600 * scale));
  EXPECT_TRUE(Logged("画面がウインドウより小さいため"));
  EXPECT_EQ(GraphicsState.screenWidth, 800) << "the program still draws an 800 x 600 screen";

  fake::SetClientSize(Client().right, Client().bottom);
  ASSERT_EQ(ClearScreen(), 0);
  ASSERT_EQ(PresentScreen(), 0);
  EXPECT_EQ(fake::Presented().lastWidth, Client().right);
  EXPECT_EQ(fake::Presented().stretchedPresents, 1);
  const RECT& client = EngineState.ClientRectOnScreen;
  const POINT far = CursorAt(client.right - 1, client.bottom - 1);
  EXPECT_GE(far.x, 797);
  EXPECT_LE(far.x, 799);
  EXPECT_GE(far.y, 597);
  EXPECT_LE(far.y, 599);

  // Full-screen is the screen's own size; back in a window the shrunk scale holds again.
  ASSERT_EQ(ChangeWindowMode(FALSE), 0);
  EXPECT_EQ(GetWindowScale(), 1.0);
  ASSERT_EQ(ChangeWindowMode(TRUE), 0);
  EXPECT_EQ(GetWindowScale(), scale);
}

TEST_F(WindowScaleTest, AltEnterSwitchesTheWindowModeUnlessTurnedOff) {
  Start();
  fake::SetIdlePassTime(1);
  const auto altEnter = [] {
    fake::Send(Key(true, AltKey));
    fake::Send(Key(true, EnterKey));
    fake::Send(Key(false, EnterKey));
    fake::Send(Key(false, AltKey));
    return PumpMessages();
  };
  ASSERT_EQ(altEnter(), 0);
  EXPECT_EQ(EngineState.Windowed, 0);
  EXPECT_EQ(GraphicsState.graphicsStarted, 1);
  ASSERT_EQ(altEnter(), 0);
  EXPECT_EQ(EngineState.Windowed, 1);

  // Enter alone is the program's.
  fake::Send(Key(true, EnterKey));
  fake::Send(Key(false, EnterKey));
  ASSERT_EQ(PumpMessages(), 0);
  EXPECT_EQ(EngineState.Windowed, 1);

  ASSERT_EQ(SetFullScreenKey(FALSE), 0);
  ASSERT_EQ(altEnter(), 0);
  EXPECT_EQ(EngineState.Windowed, 1);
  ASSERT_EQ(SetFullScreenKey(TRUE), 0);
  ASSERT_EQ(altEnter(), 0);
  EXPECT_EQ(EngineState.Windowed, 0);
}

// A display that takes no full-screen mode at all: the switch reports the failure and the
// engine goes on in a window, instead of ending the program.
TEST_F(WindowScaleTest, AFullScreenSwitchNoModeServesFallsBackToTheWindow) {
  fake::ClearDisplayModes();
  Start();
  fake::SetIdlePassTime(1);
  EXPECT_EQ(ChangeWindowMode(FALSE), -1);
  EXPECT_EQ(EngineState.Windowed, 1);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(EngineState.MainWindow, GWL_STYLE)) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(GraphicsState.graphicsStarted, 1);
  EXPECT_EQ(GraphicsState.screenWidth, 800);
  EXPECT_EQ(GraphicsState.screenHeight, 600);
  EXPECT_TRUE(Logged("ウインドウモードに戻します"));
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(PresentScreen(), 0);
}

}  // namespace
