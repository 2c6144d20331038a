// An engine on the fake platform for the image tests: windowed 800 x 600 x 32, on the software
// back-end or (hardware = true) on the recording Direct3D 9 device, with the log on so that
// failures can be seen in the debugger output; checked at the end for blocks left behind.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "test_support.h"
#include "vornek.h"

class ImageEngineTest : public ::testing::Test {
 protected:
  void StartEngine(bool hardware) {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(hardware);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, hardware ? 1 : 0);
    started_ = true;
  }
  void TearDown() override {
    if (started_) EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    if (started_) {
      EXPECT_EQ(fake::LiveD3dObjects(), 0) << "Direct3D objects outlived the engine";
    }
    fake::ResetPlatform();
  }
  static bool Logged(const std::string& utf8) {
    return fake::DebugOutput().find(test_support::Sjis(utf8)) != std::string::npos;
  }

  test_support::TempDirectory directory_;
  bool started_ = false;
};
