#include <cstring>

#include "engine_fixture.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "window/window.h"

namespace {

using WindowStartTest = EngineFixture;

constexpr const char* Title = "Pellimar\x81\x40ver0.10";

TEST_F(WindowStartTest, WindowedStartShowsAnExactClientAreaCentredAndEndRestoresTheSystem) {
  SetWindowTitle(Title);
  Start();
  HWND window = EngineState.MainWindow;
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(EngineState.WindowClassName, Title);
  EXPECT_EQ(fake::NativeTitle(), Title);
  EXPECT_EQ(FindWindowA(Title, nullptr), window);

  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right - client.left, 800);
  EXPECT_EQ(client.bottom - client.top, 600);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const RECT& onScreen = EngineState.ClientRectOnScreen;
  EXPECT_EQ(onScreen.left, origin.x);
  EXPECT_EQ(onScreen.top, origin.y);
  EXPECT_EQ(onScreen.right - onScreen.left, 800);
  EXPECT_EQ(onScreen.bottom - onScreen.top, 600);
  // The outer size is centred, then moved by the frame's own offsets.
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(origin.x, (1280 - (outer.right - outer.left)) / 2);
  EXPECT_EQ(origin.y, (1024 - (outer.bottom - outer.top)) / 2);
  EXPECT_GT(outer.bottom - outer.top, 600) << "the frame has a caption";

  EXPECT_EQ(EngineState.DesktopWidth, 1280);
  EXPECT_EQ(EngineState.DesktopHeight, 1024);
  EXPECT_EQ(EngineState.DesktopDepth, 32);
  EXPECT_EQ(EngineState.AvailableMemory, 3ull << 30);
  // The memory line, and no stray figure after it: the debugger output is the terminal.
  EXPECT_NE(fake::DebugOutput().find(":3072.00MB \r\n"), std::string::npos) << fake::DebugOutput();
  EXPECT_EQ(fake::DebugOutput().find("\n3072.00MB\n"), std::string::npos) << fake::DebugOutput();
  EXPECT_EQ(EngineState.AppActive, 1);
  EXPECT_EQ(EngineState.Creating, 0);
  EXPECT_EQ(EngineState.CodePageKind, 1);
  EXPECT_EQ(EngineState.CursorShown, 1);
  EXPECT_TRUE(fake::CursorVisible());
  EXPECT_FALSE(fake::ScreenSaverEnabled());
  EXPECT_EQ(EngineState.WindowThreadId, GetCurrentThreadId());

  ASSERT_EQ(EndEngine(), 0);
  EXPECT_TRUE(fake::ScreenSaverEnabled());
  EXPECT_EQ(fake::NativeWindowCount(), 0);
  EXPECT_EQ(FindWindowA(Title, nullptr), nullptr);
  EXPECT_EQ(EngineState.MainWindow, nullptr);
  EXPECT_EQ(EngineState.QuitRequested, 1);
  EXPECT_EQ(EngineState.EndRequested, 1) << "an end asked for by the program, not the user";
}

TEST_F(WindowStartTest, StartsAndEndsInOrder) {
  Start();
  EXPECT_EQ(fake::LiveInputObjects(), 3) << "DirectInput, mouse and keyboard";
  EndEngine();
  EXPECT_EQ(fake::Journal(), "CoInitialize CreateWindow DestroyWindow/0 CoUninitialize")
      << "COM, then the window; at the end the input devices are gone before the window, then COM";
}

TEST_F(WindowStartTest, ClassNameAndTitleDefaults) {
  struct Case {
    const char* title;
    const char* className;
    const char* shownTitle;
  };
  const Case cases[] = {{Title, Title, Title}, {"", "D123987X", "Vornek"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    EngineState = EngineStateRecord{};
    SetWindowTitle(c.title);
    ChangeWindowMode(TRUE);
    ASSERT_EQ(InitEngine(), 0);
    EXPECT_STREQ(EngineState.WindowClassName, c.className);
    EXPECT_STREQ(EngineState.WindowTitle, c.shownTitle);
    EXPECT_EQ(fake::NativeTitle(), c.shownTitle);
    EndEngine();
  }
}

TEST_F(WindowStartTest, FullScreenCoversTheScreenWithTheCursorHidden) {
  ChangeWindowMode(FALSE);
  Start();
  RECT outer{};
  GetWindowRect(EngineState.MainWindow, &outer);
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.top, 0);
  EXPECT_EQ(outer.right, 800);
  EXPECT_EQ(outer.bottom, 600);
  EXPECT_EQ(EngineState.CursorShown, 0);
  EXPECT_FALSE(fake::CursorVisible());
  EXPECT_LT(fake::CursorCount(), 0);
  EndEngine();
  EXPECT_TRUE(fake::CursorVisible()) << "the cursor comes back at the end";
}

// After bringing the window to the front, the full-screen start puts it in the top-most band.
TEST_F(WindowStartTest, FullScreenStartMakesTheWindowTopMostAfterBringingItForward) {
  ChangeWindowMode(FALSE);
  Start();
  const std::string& stacking = fake::Stacking();
  const std::string ending = "Raise TopMost";
  ASSERT_GE(stacking.size(), ending.size());
  EXPECT_EQ(stacking.substr(stacking.size() - ending.size()), ending) << stacking;
}

TEST_F(WindowStartTest, TitleSetAfterStartUpRetitlesTheWindow) {
  SetWindowTitle(Title);
  Start();
  ASSERT_EQ(SetWindowTitle("Other title"), 0);
  EXPECT_EQ(fake::NativeTitle(), "Other title");
  EXPECT_STREQ(EngineState.WindowTitle, "Other title");
  EXPECT_STREQ(EngineState.WindowClassName, Title) << "the class keeps its name";
}

// The start-up lets the window settle for 200 ms of the millisecond count, also when the count
// wraps meanwhile.
TEST_F(WindowStartTest, TheSettlingTimeEndsAcrossTheWrapOfTheMillisecondCount) {
  fake::SetClock(0x7FFFFF80u);
  Start();
  EXPECT_GE(fake::CurrentPass(), 200);
  EXPECT_LT(fake::CurrentPass(), 400);
}

TEST_F(WindowStartTest, WindowScaleSizesTheClientArea) {
  fake::SetDesktopSize(1920, 1440);  // room for the doubled window
  EngineState.WindowScale = 2.0;
  Start();
  RECT client{};
  GetClientRect(EngineState.MainWindow, &client);
  EXPECT_EQ(client.right, 1600);
  EXPECT_EQ(client.bottom, 1200);
}

TEST_F(WindowStartTest, ASecondCopyIsRefusedWithoutAWindowAndLeavesTheScreenSaverAsItWas) {
  fake::SetAnotherInstance(true);
  EXPECT_EQ(InitEngine(), -1);
  EXPECT_EQ(EngineState.QuitRequested, 1);
  EXPECT_EQ(fake::NativeWindowCount(), 0);
  EXPECT_TRUE(fake::ScreenSaverEnabled());
  EXPECT_EQ(PumpMessages(), -1);
}

TEST_F(WindowStartTest, FailedWindowSetUpFailsTheStartAndCanBeRetried) {
  for (fake::Failure failure : {fake::Failure::RegisterClass, fake::Failure::CreateWindow}) {
    SCOPED_TRACE(static_cast<int>(failure));
    fake::SetFailure(failure, true);
    EXPECT_EQ(InitEngine(), -1);
    EXPECT_EQ(EngineState.QuitRequested, 1);
    EXPECT_EQ(fake::NativeWindowCount(), 0);
    EXPECT_TRUE(fake::ScreenSaverEnabled());
    fake::SetFailure(failure, false);
    ASSERT_EQ(InitEngine(), 0) << "nothing of the failed start stands in the way";
    EndEngine();
  }
}

TEST_F(WindowStartTest, EndWindowWithoutAWindowDoesNothing) {
  EXPECT_EQ(EndWindow(), 0);
  EXPECT_EQ(EndWindow(), 0);
  EXPECT_EQ(fake::Journal(), "");
}

TEST_F(WindowStartTest, KoreanCodePageIsNoted) {
  fake::SetOemCodePage(949);
  Start();
  EXPECT_EQ(EngineState.CodePageKind, 2);
}

}  // namespace
