// Reading pads through the API on the fake platform: the bit set with its keys, the axes, the
// hat, the key map, the dead zone, vibration, pads plugged in and out, and their edges.
#include <string>

#include "engine_fixture.h"
#include "input/input.h"

namespace {

class PadInputTest : public EngineFixture {
 protected:
  static fake::Pad Named(const std::string& name, bool forceFeedback = true) {
    fake::Pad pad;
    pad.instanceName = name;
    pad.productName = name + " Product";
    pad.forceFeedback = forceFeedback;
    return pad;
  }
  static void Tap(int keyCode) {
    fake::Send(Key(true, keyCode));
    fake::Send(Key(false, keyCode));
  }
};

TEST_F(PadInputTest, TheBitSetComesFromTheAxesPastTheDeadZoneTheHatAndTheButtons) {
  fake::AttachPad(Named("Stick"));
  Start();
  ASSERT_EQ(GetPadCount(), 1);
  struct Case {
    const char* name;
    int x, y, hat, button;  // raw axes, hat in hundredths of degrees (-1 centred), button held (-1 none)
    unsigned expected;
  };
  const Case cases[] = {
      {"at rest", 0, 0, -1, -1, 0},
      {"inside the dead zone", 8000, -8000, -1, -1, 0},
      {"left and down", -32768, 32767, -1, -1, PadInputLeft | PadInputDown},
      {"right and up, just past the zone", 9000, -9000, -1, -1, PadInputRight | PadInputUp},
      {"hat up", 0, 0, 0, -1, PadInputUp},
      {"hat down-left", 0, 0, 22500, -1, PadInputDown | PadInputLeft},
      {"hat right with the stick left", -32768, 0, 9000, -1, PadInputRight | PadInputLeft},
      {"first button", 0, 0, -1, 0, PadInputButton1},
      {"twelfth button", 0, 0, -1, 11, PadInputButton12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::SetPadAxis(0, 0, c.x);
    fake::SetPadAxis(0, 1, c.y);
    fake::SetPadHat(0, 0, c.hat);
    for (int b = 0; b < 12; ++b) fake::SetPadButton(0, b, b == c.button);
    EXPECT_EQ(GetPadInputs(0), c.expected);
  }
}

TEST_F(PadInputTest, KeysStandInForThePadWithNoPadAttached) {
  Start();
  EXPECT_EQ(GetPadCount(), 0);
  struct Case {
    int key;
    unsigned input;
  };
  const Case cases[] = {{KeyDown, PadInputDown},      {KeyNumPad4, PadInputLeft},  {KeyRight, PadInputRight},
                        {KeyNumPad8, PadInputUp},     {KeyZ, PadInputButton1},     {KeyW, PadInputButton8},
                        {KeyEscape, PadInputButton9}, {KeySpace, PadInputButton10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    fake::Send(Key(true, c.key));
    fake::AdvanceClock(1);
    EXPECT_EQ(GetPadInputs(0), c.input);
    EXPECT_EQ(GetPadInputs(1), 0u) << "only the first pad has keys";
    fake::Send(Key(false, c.key));
    fake::AdvanceClock(1);
    EXPECT_EQ(GetPadInputs(0), 0u);
  }
}

TEST_F(PadInputTest, TheKeyMapIsSetAndReadPerPadAndInput) {
  Start();
  ASSERT_EQ(SetPadKeys(0, PadInputButton1, KeyF, KeyG), 0);
  ASSERT_EQ(SetPadKeys(3, PadInputUp, KeyI, -1), 0);
  int key1 = 0, key2 = 0;
  ASSERT_EQ(GetPadKeys(0, PadInputButton1, &key1, &key2), 0);
  EXPECT_EQ(key1, KeyF);
  EXPECT_EQ(key2, KeyG);
  ASSERT_EQ(GetPadKeys(0, PadInputDown, &key1, &key2), 0);
  EXPECT_EQ(key1, KeyNumPad2);
  EXPECT_EQ(key2, KeyDown);

  fake::Send(Key(true, KeyZ));
  fake::Send(Key(true, KeyG));
  fake::Send(Key(true, KeyI));
  fake::AdvanceClock(1);
  EXPECT_EQ(GetPadInputs(0), PadInputButton1) << "Z no longer stands in; G does";
  EXPECT_EQ(GetPadInputs(3), PadInputUp) << "a pad number without a pad gives its keys";

  struct Bad {
    int pad;
    unsigned input;
    int key;
  };
  for (const Bad& b : {Bad{16, PadInputUp, KeyA}, Bad{-1, PadInputUp, KeyA}, Bad{0, PadInputUp | PadInputDown, KeyA},
                       Bad{0, 0, KeyA}, Bad{0, PadInputUp, 256}, Bad{0, PadInputUp, -2}}) {
    SCOPED_TRACE(std::to_string(b.pad) + " " + std::to_string(b.input) + " " + std::to_string(b.key));
    EXPECT_EQ(SetPadKeys(b.pad, b.input, b.key, -1), -1);
    EXPECT_NE(std::string(GetLastErrorText()).find("SetPadKeys"), std::string::npos) << GetLastErrorText();
  }
  EXPECT_EQ(GetPadKeys(0, PadInputButton1, &key1, nullptr), 0);
  EXPECT_EQ(key1, KeyF) << "a refused call changes nothing";
}

TEST_F(PadInputTest, AxesHatAndDeadZone) {
  fake::AttachPad(Named("Stick"));
  Start();
  int x = 7, y = 7;
  fake::SetPadAxis(0, 0, 32767);
  fake::SetPadAxis(0, 1, -32768);
  ASSERT_EQ(GetPadAnalogInput(0, &x, &y), 0);
  EXPECT_EQ(x, 1000);
  EXPECT_EQ(y, -1000);
  fake::SetPadAxis(0, 0, 16384);
  ASSERT_EQ(GetPadAnalogInput(0, &x, nullptr), 0);
  EXPECT_EQ(x, 333) << "halfway, a third past a quarter's dead zone";

  fake::SetPadAxis(0, 0, 3000);
  fake::SetPadAxis(0, 1, 0);
  ASSERT_EQ(GetPadAnalogInput(0, &x, nullptr), 0);
  EXPECT_EQ(x, 0) << "inside the default dead zone";
  EXPECT_EQ(GetPadDeadZone(0), 2500);
  ASSERT_EQ(SetPadDeadZone(0, 0), 0);
  EXPECT_EQ(GetPadDeadZone(0), 0);
  ASSERT_EQ(GetPadAnalogInput(0, &x, nullptr), 0);
  EXPECT_EQ(x, 92);
  EXPECT_EQ(GetPadInputs(0), PadInputRight) << "without a dead zone a small tilt is a direction";

  fake::SetPadHat(0, 0, 27000);
  EXPECT_EQ(GetPadPointOfView(0, 0), 27000);
  fake::SetPadHat(0, 0, -1);
  EXPECT_EQ(GetPadPointOfView(0, 0), -1) << "centred";
  EXPECT_EQ(GetPadPointOfView(0, 1), -1) << "the pad has one hat";

  EXPECT_EQ(SetPadDeadZone(0, 10001), -1);
  EXPECT_EQ(SetPadDeadZone(0, -1), -1);
  EXPECT_EQ(GetPadDeadZone(0), 0);
  for (int pad : {1, 16, -1}) {
    SCOPED_TRACE(pad);
    EXPECT_EQ(GetPadAnalogInput(pad, &x, &y), -1);
    EXPECT_EQ(GetPadPointOfView(pad, 0), -1);
    EXPECT_EQ(SetPadDeadZone(pad, 100), -1);
    EXPECT_EQ(GetPadDeadZone(pad), -1);
    EXPECT_NE(std::string(GetLastErrorText()).find("pad"), std::string::npos) << GetLastErrorText();
  }
}

TEST_F(PadInputTest, PadsPluggedInAndOutAreFoundAtTheNextPump) {
  Start();
  EXPECT_EQ(GetPadCount(), 0);
  fake::AttachPad(Named("First"));
  EXPECT_EQ(PumpMessages(), 0);
  ASSERT_EQ(GetPadCount(), 1);
  ASSERT_EQ(SetPadDeadZone(0, 1000), 0);

  fake::AttachPad(Named("Second"));
  EXPECT_EQ(PumpMessages(), 0);
  ASSERT_EQ(GetPadCount(), 2);
  EXPECT_EQ(GetPadDeadZone(0), 1000) << "a pad that stays keeps its dead zone";
  EXPECT_EQ(GetPadDeadZone(1), 2500);

  fake::DetachPad(0);
  EXPECT_EQ(PumpMessages(), 0);
  ASSERT_EQ(GetPadCount(), 1);
  EXPECT_FALSE(fake::PadOpen(0)) << "the unplugged pad's device is released";
  EXPECT_STREQ(InputState.Pads[0].instanceName, "Second");
  fake::SetPadButton(1, 2, true);
  EXPECT_EQ(GetPadInputs(0), PadInputButton3) << "the second pad is pad 0 now";
  EXPECT_EQ(GetPadInputs(1), 0u);

  fake::DetachPad(1);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(GetPadCount(), 0);
  EXPECT_EQ(GetPadInputs(0), 0u);
}

TEST_F(PadInputTest, VibrationRunsForItsTimeAndRestsWhileInactive) {
  fake::AttachPad(Named("Rumble"));
  fake::AttachPad(Named("Still", false));
  Start();
  const auto playing = [](int pad) {
    int n = 0;
    for (const fake::PadEffect& e : fake::PadEffects(pad)) n += e.playing ? 1 : 0;
    return n;
  };
  ASSERT_EQ(StartPadVibration(0, 500, 100), 0);
  EXPECT_EQ(playing(0), 1);
  EXPECT_EQ(GetPadVibrationPower(0), 500);
  bool found = false;
  for (const fake::PadEffect& e : fake::PadEffects(0)) {
    if (!e.sine) {
      found = true;
      EXPECT_EQ(e.magnitude, 5000u) << "the constant force carries the power";
    }
  }
  EXPECT_TRUE(found);

  fake::AdvanceClock(99);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(playing(0), 1);
  fake::AdvanceClock(1);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(playing(0), 0) << "the time is up";
  EXPECT_EQ(GetPadVibrationPower(0), 0);

  ASSERT_EQ(StartPadVibration(0, 1000, -1), 0);
  SetRunWhileInactive(TRUE);
  fake::Send(Simple(fake::EventKind::Deactivate));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(playing(0), 0) << "still while another program is in front";
  fake::Send(Simple(fake::EventKind::Activate));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(playing(0), 1);
  fake::AdvanceClock(100000);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(playing(0), 1) << "-1 vibrates until stopped";
  ASSERT_EQ(StopPadVibration(0), 0);
  EXPECT_EQ(playing(0), 0);

  EXPECT_EQ(StartPadVibration(1, 500, 100), -1);
  EXPECT_NE(std::string(GetLastErrorText()).find("cannot vibrate"), std::string::npos) << GetLastErrorText();
  for (int power : {-1, 1001}) EXPECT_EQ(StartPadVibration(0, power, 100), -1) << power;
  EXPECT_EQ(StartPadVibration(0, 500, -2), -1);
  EXPECT_EQ(StartPadVibration(2, 500, 100), -1);
  EXPECT_EQ(StopPadVibration(2), -1);
}

TEST_F(PadInputTest, PadEdgesCountFramesOfThePadAndTapsOfItsKeys) {
  fake::AttachPad(Named("Stick"));
  Start();
  EXPECT_EQ(PumpMessages(), 0);
  fake::SetPadButton(0, 0, true);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountPadPresses(0, PadInputButton1), 1);
  EXPECT_EQ(CountPadReleases(0, PadInputButton1), 0);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountPadPresses(0, PadInputButton1), 0) << "held is no new press";
  fake::SetPadButton(0, 0, false);
  fake::SetPadAxis(0, 0, -32768);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountPadReleases(0, PadInputButton1), 1);
  EXPECT_EQ(CountPadPresses(0, PadInputLeft), 1);

  for (int i = 0; i < 10; ++i) Tap(KeyX);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(CountPadPresses(0, PadInputButton2), 10);
  EXPECT_EQ(CountPadReleases(0, PadInputButton2), 10);

  EXPECT_EQ(CountPadPresses(16, PadInputButton1), -1);
  EXPECT_EQ(CountPadPresses(0, 0), -1);
  EXPECT_EQ(CountPadReleases(0, PadInputButton1 | PadInputButton2), -1);
}

}  // namespace
