#include <climits>
#include <vector>

#include "engine_fixture.h"
#include "input/input.h"
#include "platform/user32.h"

namespace {

using fake::EventKind;

constexpr int Escape = 1, RightShift = 0x36, NumLock = 0x45;

class InputTest : public EngineFixture {
 protected:
  void WithoutDirectInput() {
    fake::SetFailure(fake::Failure::DirectInput7, true);
    fake::SetFailure(fake::Failure::DirectInput8, true);
  }
  static fake::InputEvent Button(bool down, int button) {
    return {down ? EventKind::ButtonDown : EventKind::ButtonUp, button};
  }
};

TEST_F(InputTest, EscapeIsReportedWhileHeldWithAndWithoutDirectInput) {
  for (bool directInput : {true, false}) {
    SCOPED_TRACE(directInput ? "DirectInput" : "Windows key state");
    if (!directInput) WithoutDirectInput();
    Start();
    EXPECT_EQ(InputState.NoDirectInput, directInput ? 0 : 1);
    EXPECT_EQ(IsKeyDown(Escape), 0);
    fake::Send(Key(true, Escape));
    fake::AdvanceClock(1);
    EXPECT_EQ(IsKeyDown(Escape), 1);
    fake::Send(Key(false, Escape));
    fake::AdvanceClock(1);
    EXPECT_EQ(IsKeyDown(Escape), 0);
    EndEngine();
    InputState = InputStateRecord{};
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    ChangeWindowMode(TRUE);
  }
}

TEST_F(InputTest, DirectInput8ServesWhenVersion7IsMissing) {
  fake::SetFailure(fake::Failure::DirectInput7, true);
  Start();
  EXPECT_EQ(InputState.DirectInputVersion8, 1);
  EXPECT_NE(InputState.KeyboardDevice, nullptr);
  fake::Send(Key(true, Escape));
  EXPECT_EQ(IsKeyDown(Escape), 1) << "the keyboard event forces a refresh in the same millisecond";
}

// Both versions' objects are made but neither initialises: each is released again and the
// Windows key state serves.
TEST_F(InputTest, WhenNeitherDirectInputObjectInitialisesTheWindowsKeyStateServes) {
  fake::SetFailure(fake::Failure::DirectInputInitialize, true);
  Start();
  EXPECT_EQ(InputState.NoDirectInput, 1);
  EXPECT_EQ(InputState.KeyboardDevice, nullptr);
  EXPECT_EQ(InputState.MouseDevice, nullptr);
  EXPECT_EQ(fake::LiveInputObjects(), 0) << "the objects that failed to initialise are released";
  fake::Send(Key(true, Escape));
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(Escape), 1);
  fake::Send({EventKind::ButtonDown, 0});
  EXPECT_EQ(GetMouseButtons(), 1);
}

TEST_F(InputTest, TheFallbackReportsOnlyMappedKeys) {
  WithoutDirectInput();
  Start();
  fake::Send(Key(true, NumLock));
  fake::Send(Key(true, 0xCB));  // left arrow
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(NumLock), 0);
  EXPECT_EQ(IsKeyDown(0xCB), 1);
}

TEST_F(InputTest, StateIsReadOncePerMillisecondUnlessAKeyChanges) {
  Start();
  EXPECT_EQ(IsKeyDown(RightShift), 0);
  // The Windows key state changes without DirectInput hearing of it: not read again yet.
  fake::SetWindowsKeyByte(VK_RSHIFT, 0x80);
  EXPECT_EQ(IsKeyDown(RightShift), 0);
  EXPECT_EQ(RefreshKeyboardState(), 0);
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(RightShift), 1) << "right Shift comes from the Windows key state";
}

TEST_F(InputTest, KeyCodesOutsideTheTableAreNeverHeld) {
  Start();
  fake::Send(Key(true, Escape));
  for (int code : {-1, 256, 1000, INT_MIN, INT_MAX}) EXPECT_EQ(IsKeyDown(code), 0) << code;
  for (int code = 0; code < 256; ++code) {
    const int result = IsKeyDown(code);
    EXPECT_TRUE(result == 0 || result == 1) << code;
  }
}

TEST_F(InputTest, TheKeyCheckAfterEndInputStartsInputAgain) {
  Start();
  fake::Send(Key(true, Escape));
  EndInput();
  EXPECT_EQ(InputState.DirectInput, nullptr);
  EXPECT_EQ(IsKeyDown(Escape), 0) << "starting reads nothing yet";
  EXPECT_NE(InputState.DirectInput, nullptr);
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(Escape), 1);
}

TEST_F(InputTest, ALostKeyboardIsAcquiredAgainOrKeepsItsLastState) {
  Start();
  fake::Send(Key(true, Escape));
  fake::AdvanceClock(1);
  ASSERT_EQ(IsKeyDown(Escape), 1);
  fake::LoseInputDevices();
  fake::Send(Key(false, Escape));
  EXPECT_EQ(IsKeyDown(Escape), 0) << "one Acquire cures a failed read";

  fake::Send(Key(true, Escape));
  fake::SetFailure(fake::Failure::DeviceStateRead, true);
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(Escape), 0) << "the previous state stays when reads keep failing";
}

TEST_F(InputTest, AFailedKeyboardEventStillLetsTheKeyboardWork) {
  fake::SetFailure(fake::Failure::KeyboardEventNotification, true);
  Start();
  EXPECT_EQ(InputState.KeyboardEvent, nullptr);
  fake::Send(Key(true, Escape));
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(Escape), 1) << "acquired by the first failing read";
  EndInput();
  EXPECT_EQ(InitInput(), 1);
}

TEST_F(InputTest, DeviceSetUpFailuresAreFatal) {
  const fake::Failure failures[] = {fake::Failure::KeyboardDevice, fake::Failure::MouseDevice,
                                    fake::Failure::DeviceDataFormat, fake::Failure::DeviceCooperativeLevel,
                                    fake::Failure::DeviceAcquire};
  for (fake::Failure failure : failures) {
    EXPECT_EXIT(
        {
          fake::SetFailure(failure, true);
          InitEngine();
        },
        ::testing::ExitedWithCode(255), "")
        << static_cast<int>(failure);
  }
}

TEST_F(InputTest, CursorPositionFollowsTheClientAreaAndScale) {
  struct Case {
    int windowed;
    double scale;
    int cursorX, cursorY;
    int x, y;
  };
  // Client area's top-left at screen (100, 50).
  const Case cases[] = {
      {1, 1.0, 150, 80, 50, 30}, {1, 1.0, 90, 40, -10, -10}, {1, 2.0, 401, 53, 150, 1},  {1, 2.0, 99, 49, 0, 0},
      {1, 1.0, 99, 49, -1, -1},  {1, 0.0, 150, 80, 50, 30},  {0, 2.0, 150, 80, 150, 80},
  };
  Start();
  for (const Case& c : cases) {
    EngineState.Windowed = c.windowed;
    EngineState.WindowScale = c.scale;
    EngineState.ClientRectOnScreen = RECT{100, 50, 900, 650};
    fake::Send({EventKind::MouseMove, c.cursorX, c.cursorY});
    int x = 12345, y = 12345;
    EXPECT_EQ(GetCursorPosition(&x, &y), 0);
    EXPECT_EQ(x, c.x) << c.cursorX << "," << c.cursorY << " at " << c.scale;
    EXPECT_EQ(y, c.y) << c.cursorX << "," << c.cursorY << " at " << c.scale;
  }
  int x = 7;
  EXPECT_EQ(GetCursorPosition(&x, nullptr), 0);
  EXPECT_EQ(GetCursorPosition(nullptr, nullptr), 0);
  EngineState.Windowed = 1;
}

TEST_F(InputTest, ButtonsWithAndWithoutDirectInput) {
  struct Case {
    std::vector<int> held;
    int withDirectInput, withoutDirectInput;
  };
  const Case cases[] = {
      {{}, 0, 0}, {{0}, 1, 1}, {{0, 1}, 3, 3}, {{2}, 4, 4}, {{3}, 8, 0}, {{0, 1, 2, 3, 4, 5, 6, 7}, 255, 7},
  };
  for (bool directInput : {true, false}) {
    if (!directInput) {
      EndEngine();
      InputState = InputStateRecord{};
      fake::ResetPlatform();
      EngineState = EngineStateRecord{};
      ChangeWindowMode(TRUE);
      WithoutDirectInput();
    }
    Start();
    for (const Case& c : cases) {
      for (int b : c.held) fake::Send(Button(true, b));
      EXPECT_EQ(GetMouseButtons(), directInput ? c.withDirectInput : c.withoutDirectInput)
          << (directInput ? "DirectInput, " : "fallback, ") << c.held.size() << " held";
      for (int b : c.held) fake::Send(Button(false, b));
    }
  }
}

TEST_F(InputTest, ButtonsAreReadWhileInactiveAndALostMouseReportsNone) {
  Start();
  fake::Send(Simple(EventKind::Deactivate));
  fake::Send(Button(true, 1));
  EXPECT_EQ(GetMouseButtons(), 2) << "the background mouse still reports";
  fake::SetFailure(fake::Failure::DeviceStateRead, true);
  EXPECT_EQ(GetMouseButtons(), 0);
  fake::SetFailure(fake::Failure::DeviceStateRead, false);
  fake::Send(Simple(EventKind::Activate));
}

}  // namespace
