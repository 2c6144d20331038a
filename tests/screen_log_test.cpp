#include <gtest/gtest.h>

#include <cstring>

#include "core/engine_state.h"
#include "graphics/graphics_state.h"
#include "text/screen_log.h"

namespace {

class ScreenLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ScreenLog.started = 0;
  }
  void TearDown() override {
    StopScreenLog();
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
  }
  // Only compared against null, never used as a window.
  static HWND SomeWindow() { return reinterpret_cast<HWND>(&windowStandIn); }
  static inline int windowStandIn = 0;
};

TEST_F(ScreenLogTest, StartNeedsTheDisplayAndTheWindow) {
  EXPECT_EQ(StartScreenLog(), -1);
  GraphicsState.graphicsStarted = 1;
  EXPECT_EQ(StartScreenLog(), -1) << "no window yet";
  EXPECT_EQ(DrawScreenLog(), -1) << "drawing tries to start and draws nothing";
  EXPECT_EQ(ScreenLog.started, 0);

  EngineState.MainWindow = SomeWindow();
  std::memset(ScreenLog.lines, 'x', sizeof ScreenLog.lines);
  EXPECT_EQ(StartScreenLog(), 0);
  EXPECT_EQ(ScreenLog.started, 1);
  EXPECT_EQ(ScreenLog.fontSize, 16);
  for (const auto& line : ScreenLog.lines) {
    for (char byte : line) ASSERT_EQ(byte, 0) << "the lines start empty";
  }
  ScreenLog.lines[0][0] = 'k';
  EXPECT_EQ(StartScreenLog(), 0) << "a second start changes nothing";
  EXPECT_EQ(ScreenLog.lines[0][0], 'k');

  StopScreenLog();
  EXPECT_EQ(ScreenLog.started, 0);
  EXPECT_EQ(ScreenLog.fontHandle, -1);
}

TEST_F(ScreenLogTest, DrawStartsTheLogWhenItCan) {
  GraphicsState.graphicsStarted = 1;
  GraphicsState.screenHeight = 600;
  EngineState.MainWindow = SomeWindow();
  EXPECT_EQ(DrawScreenLog(), 0);
  EXPECT_EQ(ScreenLog.started, 1);
}

}  // namespace
