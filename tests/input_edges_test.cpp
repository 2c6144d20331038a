// Presses and releases between frames, the wheel, and the key constants, on the fake platform.
#include <string>

#include "engine_fixture.h"

namespace {

class InputEdgesTest : public EngineFixture {};

TEST_F(InputEdgesTest, TenQuickKeyTapsBetweenFramesAreTenEdges) {
  Start();
  EXPECT_EQ(PumpMessages(), 0);
  for (int i = 0; i < 10; ++i) {
    fake::Send(Key(true, KeyZ));
    fake::Send(Key(false, KeyZ));
  }
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(KeyZ), 0) << "the held state never saw the taps";
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountKeyPresses(KeyZ), 10);
  EXPECT_EQ(CountKeyReleases(KeyZ), 10);
  EXPECT_EQ(CountKeyPresses(KeyX), 0);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountKeyPresses(KeyZ), 0) << "each frame starts counting afresh";
  EXPECT_EQ(CountKeyReleases(KeyZ), 0);
}

TEST_F(InputEdgesTest, AHeldKeyIsPressedOnceAndReleasedInALaterFrame) {
  Start();
  fake::Send(Key(true, KeyRightControl));
  fake::Send(Key(true, KeyRightControl));  // the keyboard repeating
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountKeyPresses(KeyRightControl), 1);
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(KeyRightControl), 1);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountKeyPresses(KeyRightControl), 0);
  fake::Send(Key(false, KeyRightControl));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountKeyReleases(KeyRightControl), 1);
}

TEST_F(InputEdgesTest, TenQuickClicksOfEachButtonAreTenEdges) {
  Start();
  struct Case {
    int index;  // the platform's button number
    int button;
  };
  for (const Case& c : {Case{0, MouseButtonLeft}, Case{1, MouseButtonRight}, Case{2, MouseButtonMiddle},
                        Case{3, MouseButtonBack}, Case{4, MouseButtonForward}}) {
    SCOPED_TRACE(c.button);
    for (int i = 0; i < 10; ++i) {
      fake::Send({fake::EventKind::ButtonDown, c.index});
      fake::Send({fake::EventKind::ButtonUp, c.index});
    }
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(CountMouseButtonPresses(c.button), 10);
    EXPECT_EQ(CountMouseButtonReleases(c.button), 10);
    EXPECT_EQ(GetMouseButtons(), 0);
  }
  for (int bad : {0, 3, 256, -1}) {
    EXPECT_EQ(CountMouseButtonPresses(bad), -1) << bad;
    EXPECT_NE(std::string(GetLastErrorText()).find("CountMouseButtonPresses"), std::string::npos);
  }
  EXPECT_EQ(CountKeyPresses(256), -1);
  EXPECT_EQ(CountKeyReleases(-1), -1);
}

TEST_F(InputEdgesTest, TheWheelCountsWholeNotchesPerFrame) {
  Start();
  fake::Send({fake::EventKind::Wheel, 120});
  fake::Send({fake::EventKind::Wheel, 240});
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), 3);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), 0);
  fake::Send({fake::EventKind::Wheel, -120});
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), -1);
  // A fine wheel's part of a notch waits for the rest.
  fake::Send({fake::EventKind::Wheel, 60});
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), 0);
  fake::Send({fake::EventKind::Wheel, 60});
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetMouseWheelRotation(), 1);
}

// Each constant names the key the platform's keyboard table reports under that code.
TEST_F(InputEdgesTest, KeyConstantsNameTheKeysOfTheKeyboard) {
  Start();
  const int keys[] = {KeyEscape,       Key1,          Key0,           KeyEquals,     KeyBackSpace, KeyLeftBracket,
                      KeyApostrophe,   KeyGrave,      KeyBackslash,   KeyCapsLock,   KeyF1,        KeyF10,
                      KeyF11,          KeyF12,        KeyNumLock,     KeyScrollLock, KeyNumPad0,   KeyDecimal,
                      KeyKana,         KeyUnderscore, KeyConvert,     KeyNoConvert,  KeyYen,       KeyNumPadEnter,
                      KeyRightControl, KeyDivide,     KeyPrintScreen, KeyRightAlt,   KeyPause,     KeyHome,
                      KeyPageUp,       KeyEnd,        KeyPageDown,    KeyInsert,     KeyDelete,    KeyLeftWindows,
                      KeyRightWindows, KeyApps,       KeyRightShift,  KeyMultiply,   KeySubtract,  KeyAdd};
  for (int key : keys) {
    SCOPED_TRACE(key);
    fake::Send(Key(true, key));
    fake::AdvanceClock(1);
    EXPECT_EQ(IsKeyDown(key), 1);
    fake::Send(Key(false, key));
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_EQ(CountKeyPresses(key), 1) << "the key's messages carry its code";
    EXPECT_EQ(CountKeyReleases(key), 1);
  }
}

}  // namespace
