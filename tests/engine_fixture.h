// A fresh fake platform and engine for each test: 800 × 600 × 32 in a window unless the test
// says otherwise, and everything ended afterwards.
#pragma once

#include <gtest/gtest.h>

#include "core/engine_state.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "input/input_state.h"
#include "vornek.h"
#include "window/char_buffer.h"

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    InputState = InputStateRecord{};
    StartCharBuffer();
    SetScreenMode(800, 600, 32, 60);
    ChangeWindowMode(TRUE);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(fake::NativeWindowCount(), 0) << "the window outlived the engine";
    EXPECT_EQ(fake::LiveInputObjects(), 0) << "input devices outlived the engine";
    fake::ResetPlatform();
  }

  // Starts the engine; the fake clock then stands still unless the test moves it.
  void Start() {
    ASSERT_EQ(InitEngine(), 0);
    fake::SetIdlePassTime(0);
  }

  static fake::InputEvent Key(bool down, int keyCode) {
    return {down ? fake::EventKind::KeyDown : fake::EventKind::KeyUp, keyCode};
  }
  static fake::InputEvent Simple(fake::EventKind kind) { return {kind}; }
};
