// A test of the hardware back-end on the fake platform's recording Direct3D 9 device: a windowed
// 800 x 600 x 32 engine, started by Start() with the device's call list emptied, and checked at
// the end for Direct3D objects and engine blocks left behind.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "test_support.h"
#include "vornek.h"

class RecordingDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(true);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(fake::LiveD3dObjects(), 0) << "Direct3D objects outlived the engine";
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  void Start() {
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, 1);
    // Whatever start-up queued goes out now; the test sees only its own calls.
    FlushVertexBatch();
    fake::ClearD3dCalls();
  }

  static bool Logged(const std::string& utf8) {
    return fake::DebugOutput().find(test_support::Sjis(utf8)) != std::string::npos;
  }
};
