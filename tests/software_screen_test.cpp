// Screen set-up, draw state, clear and present on the software back-end of the fake platform.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "test_support.h"
#include "vornek.h"

namespace {

class SoftwareScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  test_support::TempDirectory directory_;
};

TEST_F(SoftwareScreenTest, StartUpChoosesTheSoftwareBackEndWithTheDefaultDrawState) {
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.useHardware, 0);
  EXPECT_EQ(IsMemImgValid(&GraphicsState.screenImage), 1);
  EXPECT_EQ(GraphicsState.screenImage.width, 800);
  EXPECT_EQ(GraphicsState.screenImage.shared->colorType, Color32);
  EXPECT_EQ(IsMemImgValid(&GraphicsState.workImages[1]), 1);
  EXPECT_EQ(GraphicsState.workImages[1].shared->hasAlpha, 1);

  EXPECT_EQ(GetDrawTarget(), ScreenFront);
  EXPECT_EQ(DrawState.drawArea.left, 0);
  EXPECT_EQ(DrawState.drawArea.top, 0);
  EXPECT_EQ(DrawState.drawArea.right, 800);
  EXPECT_EQ(DrawState.drawArea.bottom, 600);
  EXPECT_EQ(DrawState.blendMode, BlendModeNone);
  EXPECT_EQ(DrawState.tint[0], 255);
  EXPECT_EQ(DrawState.tint[2], 255);
  EXPECT_EQ(GetVSyncWait(), 1);
  EXPECT_EQ(MakeColor(255, 255, 255), 0xFFFFFFFFu) << "the 32-bit screen keeps the values made before start-up";

  EndEngine();
  EXPECT_EQ(IsMemImgValid(&GraphicsState.screenImage), 0);
  EXPECT_EQ(GraphicsState.directDraw, nullptr);
}

TEST_F(SoftwareScreenTest, A16BitScreenMakes565Colours) {
  SetScreenMode(800, 600, 16, 60);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.screenImage.shared->colorType, Color16);
  EXPECT_EQ(MakeColor(100, 100, 100), 0x632Cu);
}

TEST_F(SoftwareScreenTest, MissingLibraryOrDirectDrawFailsTheStart) {
  const fake::Failure failures[] = {fake::Failure::LoadD3d9, fake::Failure::CreateDirectDraw,
                                    fake::Failure::InitDirectDraw};
  for (fake::Failure failure : failures) {
    fake::ResetPlatform();
    fake::SetFailure(failure, true);
    EXPECT_EQ(InitEngine(), -1);
    EXPECT_EQ(EngineState.Initialised, 0);
    EXPECT_EQ(GraphicsState.graphicsStarted, 0);
    EXPECT_EQ(GraphicsState.directDraw, nullptr) << "nothing left behind";
    EXPECT_EQ(fake::ComDepth(), 0);
  }
}

TEST_F(SoftwareScreenTest, ClipAreaIsOrderedAndClampedToTheTarget) {
  ASSERT_EQ(InitEngine(), 0);
  struct Case {
    int x1, y1, x2, y2;
    Rect area;
    int empty;
  };
  const Case cases[] = {
      {100, 100, 50, 50, {50, 50, 100, 100}, 0},
      {-10, -10, 10000, 10000, {0, 0, 800, 600}, 0},
      {5, 5, 5, 100, {5, 5, 5, 100}, 1},
      {900, 700, 1000, 800, {800, 600, 800, 600}, 1},
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, {0, 0, 800, 600}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetClipArea(c.x1, c.y1, c.x2, c.y2), 0);
    EXPECT_EQ(DrawState.drawArea.left, c.area.left);
    EXPECT_EQ(DrawState.drawArea.top, c.area.top);
    EXPECT_EQ(DrawState.drawArea.right, c.area.right);
    EXPECT_EQ(DrawState.drawArea.bottom, c.area.bottom);
    EXPECT_EQ(DrawState.drawAreaEmpty, c.empty);
  }

  // Switching screens keeps the area.
  SetClipArea(10, 20, 30, 40);
  EXPECT_EQ(SelectDrawTarget(ScreenBack), 0);
  EXPECT_EQ(SelectDrawTarget(ScreenFront), 0);
  EXPECT_EQ(DrawState.drawArea.left, 10);
  EXPECT_EQ(DrawState.drawArea.bottom, 40);
  EXPECT_EQ(SelectDrawTarget(12345), -1);
  EXPECT_EQ(SelectDrawTarget(-1), -1);
  EXPECT_EQ(GetDrawTarget(), ScreenFront);
}

TEST_F(SoftwareScreenTest, BlendModeAndTintAreClamped) {
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(SetBlendMode(BlendModeAlpha, 300), 0);
  EXPECT_EQ(DrawState.blendParam, 255);
  EXPECT_EQ(SetBlendMode(99, -5), 0) << "the mode number is not validated";
  EXPECT_EQ(DrawState.blendMode, 99);
  EXPECT_EQ(DrawState.blendParam, 0);
  EXPECT_EQ(SetTint(-1, 128, 999), 0);
  EXPECT_EQ(DrawState.tint[0], 0);
  EXPECT_EQ(DrawState.tint[1], 128);
  EXPECT_EQ(DrawState.tint[2], 255);
}

TEST_F(SoftwareScreenTest, ClearFillsTheWholeScreenWhateverTheClipArea) {
  ASSERT_EQ(InitEngine(), 0);
  FillMemImg(&GraphicsState.screenImage, nullptr, 0xFFFFFFFFu);
  SetClipArea(10, 10, 20, 20);
  SetClearColor(1, 2, 3);
  EXPECT_EQ(ClearScreen(), 0);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(GraphicsState.screenImage.pixels);
  EXPECT_EQ(pixels[0], 0xFF010203u) << "packed with the filler bits set";
  EXPECT_EQ(pixels[800 * 600 - 1], 0xFF010203u);
}

TEST_F(SoftwareScreenTest, PresentCopiesTheScreenToTheWindowAfterTheVerticalBlank) {
  EXPECT_EQ(PresentScreen(), -1) << "before start-up";
  ASSERT_EQ(InitEngine(), 0);
  auto* pixels = reinterpret_cast<std::uint32_t*>(GraphicsState.screenImage.pixels);
  const int pitch = GraphicsState.screenImage.shared->pitch / 4;
  pixels[0] = 0x00FF0000u;
  pixels[599 * pitch + 799] = 0x000000FFu;
  const int waits = fake::VerticalBlankWaits();
  EXPECT_EQ(PresentScreen(), 0);
  const fake::PresentedFrame& frame = fake::Presented();
  EXPECT_EQ(frame.presents, 1);
  EXPECT_EQ(frame.stretchedPresents, 0) << "1:1 goes through SetDIBitsToDevice";
  EXPECT_EQ(frame.pixels[0], 0xFFFF0000u);
  EXPECT_EQ(frame.pixels[599 * 800 + 799], 0xFF0000FFu);
  EXPECT_EQ(fake::VerticalBlankWaits(), waits + 1);

  SetVSyncWait(FALSE);
  EXPECT_EQ(PresentScreen(), 0);
  EXPECT_EQ(fake::VerticalBlankWaits(), waits + 1) << "no wait with vsync off";
}

TEST_F(SoftwareScreenTest, PresentStretchesByTheWindowScale) {
  ASSERT_EQ(InitEngine(), 0);
  fake::SetClientSize(1600, 1200);
  SetVSyncWait(FALSE);
  auto* pixels = reinterpret_cast<std::uint32_t*>(GraphicsState.screenImage.pixels);
  pixels[1] = 0x0000FF00u;
  for (double scale : {1.5, 2.0}) {
    EngineState.WindowScale = scale;
    EXPECT_EQ(PresentScreen(), 0);
    const fake::PresentedFrame& frame = fake::Presented();
    EXPECT_EQ(frame.lastWidth, static_cast<int>(800 * scale));
    EXPECT_EQ(frame.lastHeight, static_cast<int>(600 * scale));
  }
  const fake::PresentedFrame& frame = fake::Presented();
  EXPECT_EQ(frame.stretchedPresents, 2);
  EXPECT_EQ(frame.pixels[2], 0xFF00FF00u) << "pixel 1 doubled onto 2 and 3";
  EXPECT_EQ(frame.pixels[3], 0xFF00FF00u);
  EXPECT_EQ(frame.pixels[4], 0xFF000000u);
}

TEST_F(SoftwareScreenTest, PresentWithoutAWindowContextShowsNothing) {
  ASSERT_EQ(InitEngine(), 0);
  fake::SetFailure(fake::Failure::WindowDC, true);
  EXPECT_EQ(PresentScreen(), 0);
  EXPECT_EQ(fake::Presented().presents, 0);
}

TEST_F(SoftwareScreenTest, ScreenModeChangesAfterStartUp) {
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0) << "the current mode restarts nothing";
  EXPECT_EQ(SetScreenMode(640, 480, 16, 0), 0);
  EXPECT_EQ(GraphicsState.screenImage.width, 640);
  EXPECT_EQ(GraphicsState.screenImage.shared->colorType, Color16);
  EXPECT_EQ(DrawState.drawArea.right, 640);
  EXPECT_EQ(SetScreenMode(640, 480, 24, 0), -1);
}

TEST_F(SoftwareScreenTest, EveryGraphicsStartWaitsForTheVerticalBlankAgain) {
  ASSERT_EQ(InitEngine(), 0);
  SetVSyncWait(FALSE);
  ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
  EXPECT_EQ(GetVSyncWait(), 1);
  const int waits = fake::VerticalBlankWaits();
  PresentScreen();
  EXPECT_EQ(fake::VerticalBlankWaits(), waits + 1);
}

// A 320 × 240 full-screen mode the display lacks is served by 640 × 480 with the top-left
// quarter doubled; a genuine 640 × 480 asked for afterwards shows the whole screen again.
TEST_F(SoftwareScreenTest, TheDoublingOf320x240EndsWithTheModeThatNeededIt) {
  ChangeWindowMode(FALSE);
  ASSERT_EQ(InitEngine(), 0);
  SetVSyncWait(FALSE);
  fake::SetClientSize(640, 480);
  SetScreenMode(320, 240, 32, 0);
  ASSERT_EQ(GraphicsState.emulate320x240, 1);
  ASSERT_EQ(GraphicsState.screenWidth, 640);
  PresentScreen();
  EXPECT_EQ(fake::Presented().stretchedPresents, 1) << "the quarter doubled";

  EXPECT_EQ(SetScreenMode(640, 480, 32, 0), 0);
  EXPECT_EQ(GraphicsState.emulate320x240, 0);
  const int stretched = fake::Presented().stretchedPresents;
  SetVSyncWait(FALSE);
  PresentScreen();
  EXPECT_EQ(fake::Presented().stretchedPresents, stretched) << "the whole screen, 1:1";

  SetScreenMode(320, 240, 32, 0);
  ASSERT_EQ(GraphicsState.emulate320x240, 1);
  EndEngine();
  EXPECT_EQ(GraphicsState.emulate320x240, 0) << "the next start begins without doubling";
}

int CountPixels(std::uint32_t value) {
  const MEMIMG& screen = GraphicsState.screenImage;
  int count = 0;
  for (int y = 0; y < screen.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(screen.pixels + y * screen.shared->pitch);
    for (int x = 0; x < screen.width; ++x) count += row[x] == value;
  }
  return count;
}

TEST_F(SoftwareScreenTest, LinesAndCirclesReachTheScreenImageThroughTheDrawState) {
  ASSERT_EQ(InitEngine(), 0);
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  EXPECT_EQ(DrawLine(16, 16, 528, 16, white, 1), 0);
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 512) << "the end point is not drawn";
  EXPECT_EQ(DrawLine(16, 100, 528, 100, white, 0), 0) << "thickness 0 is a thin line";
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 1024);
  EXPECT_EQ(DrawLine(16, 200, 528, 200, white, 3), 0);
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 1024) << "thick lines need the hardware back-end";

  ClearScreen();
  EXPECT_EQ(DrawCircle(100, 100, -1, white, TRUE), 0);
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 0);
  EXPECT_EQ(DrawCircle(100, 100, 0, white, TRUE), 0);
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 1);

  ClearScreen();
  SetClipArea(5, 5, 5, 100);
  EXPECT_EQ(DrawCircle(100, 100, 30, white, TRUE), 0);
  EXPECT_EQ(DrawLine(0, 0, 799, 599, white, 1), 0);
  EXPECT_EQ(CountPixels(0xFFFFFFFFu), 0) << "an empty draw area draws nothing";

  SetClipArea(0, 0, 800, 600);
  SetTint(0, 255, 255);
  EXPECT_EQ(DrawLine(10, 10, 11, 10, white, 1), 0);
  const auto* row = reinterpret_cast<const std::uint32_t*>(GraphicsState.screenImage.pixels +
                                                           10 * GraphicsState.screenImage.shared->pitch);
  EXPECT_EQ(row[10] & 0xFF0000u, 0u) << "the tint reaches the rasteriser";
}

TEST_F(SoftwareScreenTest, FrontScreenTimerPresentsAgainOnlyWhileTheFrontScreenIsTheTarget) {
  ASSERT_EQ(InitEngine(), 0);
  PumpMessages();
  int presents = fake::Presented().presents;
  const int waits = fake::VerticalBlankWaits();
  fake::AdvanceClock(40);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(fake::Presented().presents, presents + 1) << "one tick, one present";
  EXPECT_EQ(fake::VerticalBlankWaits(), waits) << "the tick does not wait for the vertical blank";
  fake::AdvanceClock(10);
  PumpMessages();
  EXPECT_EQ(fake::Presented().presents, presents + 1) << "the period is 32 ms";
  fake::AdvanceClock(30);
  PumpMessages();
  EXPECT_EQ(fake::Presented().presents, presents + 2) << "a program that stopped presenting still shows its picture";

  ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  presents = fake::Presented().presents;
  for (int i = 0; i < 3; ++i) {
    fake::AdvanceClock(40);
    PumpMessages();
  }
  EXPECT_EQ(fake::Presented().presents, presents) << "the timer stops itself off the front screen";
}

// A present of the program's own between two ticks leaves the next tick nothing to show again;
// the tick after that, with no present in between, shows the picture again.
TEST_F(SoftwareScreenTest, FrontScreenTimerLeavesAPictureAlonePresentedSinceItsLastTick) {
  ASSERT_EQ(InitEngine(), 0);
  PumpMessages();
  const int presents = fake::Presented().presents;
  fake::AdvanceClock(20);
  ASSERT_EQ(PresentScreen(), 0);
  fake::AdvanceClock(20);
  PumpMessages();
  EXPECT_EQ(fake::Presented().presents, presents + 1) << "only the program's own present";
  fake::AdvanceClock(40);
  PumpMessages();
  EXPECT_EQ(fake::Presented().presents, presents + 2) << "nothing presented since the last tick";
}

TEST_F(SoftwareScreenTest, FullScreenSoftwareModeChangesTheDisplayAndPutsItBack) {
  ChangeWindowMode(FALSE);
  ASSERT_EQ(InitEngine(), 0);
  int width = 0, height = 0;
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  PumpMessages();
  EXPECT_EQ(EngineState.DisplayChangeSeen, 1) << "the window heard of the new mode";
  EndEngine();
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0) << "back to the display's own mode";
}

TEST_F(SoftwareScreenTest, FullScreenWithoutSuchADisplayModeStartsWindowed) {
  fake::ClearDisplayModes();
  ChangeWindowMode(FALSE);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(EngineState.Windowed, 1);
  int width = -1, height = -1;
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0) << "the display mode was left alone";
  PumpMessages();
  EXPECT_EQ(EngineState.DisplayChangeSeen, 0);
}

TEST_F(SoftwareScreenTest, TheDefaultFontKeepsItsSizeAcrossAScreenModeChange) {
  ASSERT_EQ(InitEngine(), 0);
  ASSERT_EQ(SetDefaultFontSize(24, 6), 0);
  ASSERT_EQ(SetScreenMode(640, 480, 16, 0), 0);
  int size = 0, thickness = 0;
  ASSERT_EQ(QueryFontFace(nullptr, &size, &thickness, QueryDefaultFont()), 0);
  EXPECT_EQ(size, 24);
  EXPECT_EQ(thickness, 6);
}

}  // namespace
