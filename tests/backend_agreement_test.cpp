// Calls whose results a program relies on when it moves between the back-ends: each gives the
// same answer on the hardware back-end (the recording device) and on the software one.
#include <gtest/gtest.h>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "vornek.h"

namespace {

class BackEndAgreementTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(true);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetLogOutputFlag(FALSE);
    SetScreenMode(800, 600, 32, 60);
    GraphicsState.softwareOnly = hardware() ? 0 : 1;
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, hardware() ? 1 : 0);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }
  static bool hardware() { return GetParam(); }
};

// A windowed hardware screen keeps the desktop's 32 bits: the new size is in force all the same.
TEST_P(BackEndAgreementTest, AScreenModeChangeOnARunningEngineSucceedsOnBoth) {
  EXPECT_EQ(SetScreenMode(640, 480, 16, 60), 0);
  EXPECT_EQ(GraphicsState.screenWidth, 640);
  EXPECT_EQ(GraphicsState.screenHeight, 480);
  EXPECT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  EXPECT_EQ(GraphicsState.screenWidth, 800);
}

TEST_P(BackEndAgreementTest, OnlyAGraphicMadeAsADrawTargetCanBeSelected) {
  const int plain = CreateEmptyGraphic(32, 32);
  ASSERT_NE(plain, -1);
  ASSERT_EQ(SetCreateDrawTarget(TRUE), 0);
  const int target = CreateEmptyGraphic(32, 32);
  ASSERT_NE(target, -1);
  EXPECT_EQ(SelectDrawTarget(plain), -1);
  EXPECT_EQ(GetDrawTarget(), ScreenFront) << "a refused selection changes nothing";
  EXPECT_EQ(SelectDrawTarget(target), 0);
  EXPECT_EQ(GetDrawTarget(), target);
  EXPECT_EQ(SelectDrawTarget(ScreenBack), 0);
}

// The creation settings are the program's: a new screen mode keeps them, a new engine starts
// from the defaults.
TEST_P(BackEndAgreementTest, CreationSettingsSurviveAScreenModeChange) {
  ASSERT_EQ(SetCreateDrawTarget(TRUE), 0);
  ASSERT_EQ(SetCreateAlphaChannel(TRUE), 0);
  ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
  EXPECT_EQ(GetCreateDrawTarget(), TRUE);
  EXPECT_EQ(GetCreateAlphaChannel(), TRUE);
  const int target = CreateEmptyGraphic(16, 16);
  EXPECT_EQ(SelectDrawTarget(target), 0);

  EndEngine();
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GetCreateDrawTarget(), FALSE);
  EXPECT_EQ(GetCreateAlphaChannel(), FALSE);
}

TEST_P(BackEndAgreementTest, ReleasingWhatIsNoGraphicFails) {
  const int graphic = CreateEmptyGraphic(8, 8);
  ASSERT_NE(graphic, -1);
  const int font = QueryDefaultFont();
  for (const int handle : {-1, 0, font, graphic + 1, graphic | 0x8000}) {
    EXPECT_EQ(ReleaseGraphic(handle), -1) << std::hex << handle;
  }
  EXPECT_EQ(ReleaseGraphic(graphic), 0);
  EXPECT_EQ(ReleaseGraphic(graphic), -1) << "released twice";
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, BackEndAgreementTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Hardware" : "Software"; });

}  // namespace
