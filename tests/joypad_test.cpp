#include <string>
#include <vector>

#include "engine_fixture.h"
#include "input/input.h"
#include "platform/kernel32.h"
#include "test_support.h"

namespace {

using fake::EventKind;
using test_support::Sjis;

class JoypadTest : public EngineFixture {
 protected:
  // The pad lines of the start-up, as the debugger saw them.
  static std::string PadSection() {
    const std::string& log = fake::DebugOutput();
    const std::size_t from = log.find(Sjis("\tジョイパッドの初期化... "));
    const std::string last = Sjis("ジョイパッドの初期化は正常に終了しました\r\n");
    const std::size_t to = log.find(last, from);
    if (from == std::string::npos || to == std::string::npos) return "(no pad section) " + log;
    return log.substr(from, to + last.size() - from);
  }
  static std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
      text += line;
      text += "\r\n";
    }
    return Sjis(text);
  }
  static std::vector<std::string> Added(const std::string& name) {
    return {"\t入力装置を見つけました", "\t\tデバイスの登録名:" + name, "\t\tデバイスの製品登録名:" + name + " Product",
            "\tジョイパッドの追加は正常に終了しました"};
  }
  static fake::Pad Named(const std::string& name) {
    fake::Pad pad;
    pad.instanceName = name;
    pad.productName = name + " Product";
    return pad;
  }
  static int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
};

TEST_F(JoypadTest, NoControllerAttached) {
  Start();
  EXPECT_EQ(PadSection(), Lines({"\tジョイパッドの初期化... ", "\tジョイパッドの初期化は正常に終了しました"}));
  EXPECT_EQ(InputState.PadCount, 0);
  EXPECT_EQ(InputState.Pads[0].device, nullptr);
}

TEST_F(JoypadTest, AControllerIsSetUpWithItsRecordAndEffects) {
  fake::AttachPad(Named("Stick"));
  Start();
  std::vector<std::string> expected = {"\tジョイパッドの初期化... "};
  for (const std::string& line : Added("Stick")) expected.push_back(line);
  expected.push_back("\tジョイパッドの初期化は正常に終了しました");
  EXPECT_EQ(PadSection(), Lines(expected));

  ASSERT_EQ(InputState.PadCount, 1);
  const PadRecord& pad = InputState.Pads[0];
  EXPECT_NE(pad.device, nullptr);
  EXPECT_NE(pad.event, nullptr);
  EXPECT_NE(pad.constantEffect, nullptr);
  EXPECT_NE(pad.periodicEffect, nullptr);
  EXPECT_STREQ(pad.instanceName, "Stick");
  EXPECT_STREQ(pad.productName, "Stick Product");
  EXPECT_EQ(pad.vibrationOn, 0);
  EXPECT_EQ(pad.vibrationPower, 10000);
  EXPECT_EQ(pad.deadZoneFraction, 0.25);
  EXPECT_EQ(pad.constantEffectRunning, 0);
  EXPECT_EQ(pad.periodicEffectRunning, 0);
  EXPECT_TRUE(fake::PadOpen(0));
  EXPECT_EQ(
      fake::PadCalls(),
      "Stick Product.SetCooperativeLevel(5) Stick Product.CreateEffect(sine) Stick Product.CreateEffect(constant) "
      "Stick Product.SetEventNotification Stick Product.Acquire");

  const std::vector<fake::PadEffect> effects = fake::PadEffects(0);
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_TRUE(effects[0].sine);
  EXPECT_EQ(effects[0].magnitude, 10000u);
  EXPECT_EQ(effects[0].period, 1500000u);
  EXPECT_EQ(effects[0].attackTime, 500000u);
  EXPECT_EQ(effects[0].fadeTime, 1000000u);
  EXPECT_EQ(effects[0].duration, INFINITE);
  EXPECT_EQ(effects[0].gain, 10000u);
  EXPECT_FALSE(effects[1].sine);
  EXPECT_EQ(effects[1].magnitude, 10000u);
  EXPECT_FALSE(effects[0].playing || effects[1].playing) << "nothing vibrates";
}

// The device applies the range of -1000 to 1000 and the dead zone of a quarter to X, Y and Z,
// and signals the pad's event when its input changes.
TEST_F(JoypadTest, AxesReportTheRangeAndDeadZoneSetUp) {
  fake::AttachPad(Named("Stick"));
  Start();
  const PadRecord& pad = InputState.Pads[0];
  ASSERT_NE(pad.device, nullptr);
  EXPECT_EQ(WaitForSingleObject(pad.event, 0), WAIT_TIMEOUT);
  const struct {
    int raw;
    LONG reported;
  } cases[] = {{0, 0},          {8191, 0},    {-8192, 0},     {32767, 1000},
               {-32768, -1000}, {16384, 333}, {-16384, -333}, {24576, 667}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw);
    for (int axis = 0; axis < 3; ++axis) fake::SetPadAxis(0, axis, c.raw);
    DIJOYSTATE state{};
    ASSERT_EQ(pad.device->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, c.reported);
    EXPECT_EQ(state.lY, c.reported);
    EXPECT_EQ(state.lZ, c.reported);
  }
  EXPECT_EQ(WaitForSingleObject(pad.event, 0), WAIT_OBJECT_0) << "the moves set the state-change event";
  fake::SetPadButton(0, 3, true);
  DIJOYSTATE state{};
  ASSERT_EQ(pad.device->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.rgbButtons[3], 0x80);
  EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu) << "a centred hat";
}

TEST_F(JoypadTest, SeventeenControllersSetUpSixteen) {
  for (int i = 1; i <= 17; ++i) fake::AttachPad(Named("Pad " + std::to_string(i)));
  Start();
  EXPECT_EQ(InputState.PadCount, 16);
  EXPECT_EQ(Count(PadSection(), Sjis("入力装置を見つけました")), 16) << "the seventeenth is not enumerated";
  EXPECT_STREQ(InputState.Pads[15].instanceName, "Pad 16");
  EXPECT_FALSE(fake::PadOpen(16));
  EndEngine();
  for (int i = 0; i < 17; ++i) EXPECT_FALSE(fake::PadOpen(i)) << i;
}

TEST_F(JoypadTest, AControllerThatFailsASetUpStepIsSkipped) {
  struct Case {
    const char* name;
    void (*spoil)(fake::Pad&);
    std::vector<std::string> lines;  // the bad pad's lines
    bool added;
  };
  const std::string found = "\t入力装置を見つけました";
  const std::string names[] = {"\t\tデバイスの登録名:Bad", "\t\tデバイスの製品登録名:Bad Product"};
  const Case cases[] = {
      {"not created", [](fake::Pad& p) { p.failCreate = true; }, {found, "\t入力装置の取得に失敗しました"}, false},
      {"refuses the joystick format",
       [](fake::Pad& p) { p.failDataFormat = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスではありませんでした、又は設定に失敗しました"},
       false},
      {"cooperative level",
       [](fake::Pad& p) { p.failCooperativeLevel = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスの協調レベルの設定に失敗しました"},
       false},
      {"X range",
       [](fake::Pad& p) { p.failRangeX = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスのＸ軸関係の設定に失敗しました"},
       false},
      {"Y range",
       [](fake::Pad& p) { p.failRangeY = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスのＹ軸関係の設定に失敗しました"},
       false},
      {"X dead zone",
       [](fake::Pad& p) { p.failDeadZoneX = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました"},
       false},
      {"Y dead zone",
       [](fake::Pad& p) { p.failDeadZoneY = true; },
       {found, names[0], names[1], "\tジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました"},
       false},
      {"event notification",
       [](fake::Pad& p) { p.failEventNotification = true; },
       {found, names[0], names[1], "\tジョイパッドイベントのセットアップが失敗しました"},
       false},
      {"without force feedback",
       [](fake::Pad& p) { p.forceFeedback = false; },
       {found, names[0], names[1], "\t周期的エフェクトの作成に失敗しました。",
        "\tジョイパッドの追加は正常に終了しました"},
       true},
      {"without Z and Rz",
       [](fake::Pad& p) { p.axes = 2; },
       {found, names[0], names[1], "\tジョイパッドの追加は正常に終了しました"},
       true},
      {"not acquired",
       [](fake::Pad& p) { p.failAcquire = true; },
       {found, names[0], names[1], "\tジョイパッドの追加は正常に終了しました"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::AttachPad(Named("Good1"));
    fake::Pad bad = Named("Bad");
    c.spoil(bad);
    fake::AttachPad(bad);
    fake::AttachPad(Named("Good2"));
    Start();

    std::vector<std::string> expected = {"\tジョイパッドの初期化... "};
    for (const std::string& line : Added("Good1")) expected.push_back(line);
    for (const std::string& line : c.lines) expected.push_back(line);
    for (const std::string& line : Added("Good2")) expected.push_back(line);
    expected.push_back("\tジョイパッドの初期化は正常に終了しました");
    EXPECT_EQ(PadSection(), Lines(expected));
    EXPECT_EQ(InputState.PadCount, c.added ? 3 : 2);
    EXPECT_STREQ(InputState.Pads[c.added ? 2 : 1].instanceName, "Good2");
    EXPECT_EQ(fake::PadOpen(1), c.added) << "a refused device is released";
    if (c.added && !bad.forceFeedback) {
      EXPECT_EQ(InputState.Pads[1].constantEffect, nullptr);
      EXPECT_EQ(InputState.Pads[1].periodicEffect, nullptr);
    }

    EndEngine();
    EXPECT_EQ(fake::LiveInputObjects(), 0);
    InputState = InputStateRecord{};
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    ChangeWindowMode(TRUE);
  }
}

TEST_F(JoypadTest, ReacquiredOnActivationChangesAndReleasedInOrder) {
  fake::AttachPad(Named("P"));
  Start();
  const std::size_t setUp = fake::PadCalls().size();
  fake::Send(Simple(EventKind::Deactivate));
  fake::Schedule(fake::CurrentPass() + 3, Simple(EventKind::Activate));
  EXPECT_EQ(PumpMessages(), 0);
  // The window may re-acquire more than once per change; each time in this order.
  const std::string away = " P Product.Unacquire P Product.SetCooperativeLevel(10) P Product.Acquire";
  const std::string back = " P Product.Unacquire P Product.SetCooperativeLevel(5) P Product.Acquire";
  std::string calls = fake::PadCalls().substr(setUp);
  ASSERT_GE(calls.size(), away.size() + back.size()) << calls;
  EXPECT_EQ(calls.substr(calls.size() - back.size()), back) << "exclusive again when active";
  calls.resize(calls.size() - back.size());
  for (std::size_t at = 0; at < calls.size(); at += away.size()) {
    EXPECT_EQ(calls.substr(at, away.size()), away) << "shared in the background while inactive";
  }

  const std::size_t active = fake::PadCalls().size();
  EndEngine();
  EXPECT_EQ(
      fake::PadCalls().substr(active),
      " P Product.Unacquire P Product.SetEventNotification(null) P Product.constant.Stop P Product.constant.Release"
      " P Product.sine.Stop P Product.sine.Release P Product.Release");
  EXPECT_EQ(InputState.PadCount, 0);
  EXPECT_EQ(InputState.Pads[0].device, nullptr);
  EXPECT_EQ(InputState.Pads[0].event, nullptr);
  EXPECT_FALSE(fake::PadOpen(0));
}

TEST_F(JoypadTest, WithoutDirectInputTheMultimediaJoysticksAreCounted) {
  fake::SetFailure(fake::Failure::DirectInput7, true);
  fake::SetFailure(fake::Failure::DirectInput8, true);
  const int axes[] = {4, 2, 3};
  for (int a : axes) {
    fake::Pad pad;
    pad.axes = a;
    fake::AttachPad(pad);
  }
  Start();
  EXPECT_NE(fake::DebugOutput().find(Sjis("\tパッドの数は 3 個です\r\n\r\n")), std::string::npos)
      << fake::DebugOutput();
  EXPECT_EQ(InputState.PadCount, 16);
  EXPECT_EQ(InputState.Pads[0].hasZAndR, 1);
  EXPECT_EQ(InputState.Pads[1].hasZAndR, 0);
  EXPECT_EQ(InputState.Pads[2].hasZAndR, 0);
  EXPECT_EQ(InputState.Pads[0].device, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(fake::PadOpen(i));
  EXPECT_EQ(fake::PadCalls(), "");

  // Ids past the sixteenth are not asked for.
  EndEngine();
  for (int i = 3; i < 17; ++i) fake::AttachPad(fake::Pad{});
  fake::ClearDebugOutput();
  fake::SetIdlePassTime(1);  // the window's start-up waits on the clock
  Start();
  EXPECT_NE(fake::DebugOutput().find(Sjis("\tパッドの数は 16 個です\r\n")), std::string::npos) << fake::DebugOutput();
  EXPECT_EQ(InputState.PadCount, 16);
}

TEST_F(JoypadTest, PadKeyMapGivesTheFirstPadItsKeys) {
  for (bool directInput : {true, false}) {
    SCOPED_TRACE(directInput ? "DirectInput" : "multimedia joysticks");
    if (!directInput) {
      fake::SetFailure(fake::Failure::DirectInput7, true);
      fake::SetFailure(fake::Failure::DirectInput8, true);
    }
    Start();
    const PadKeys firstPad[14] = {{0x50, 0xD0}, {0x4B, 0xCB}, {0x4D, 0xCD}, {0x48, 0xC8}, {0x2C, -1},
                                  {0x2D, -1},   {0x2E, -1},   {0x1E, -1},   {0x1F, -1},   {0x20, -1},
                                  {0x10, -1},   {0x11, -1},   {0x01, -1},   {0x39, -1}};
    for (int pad = 0; pad < MaxPads; ++pad) {
      for (int input = 0; input < PadInputs; ++input) {
        const PadKeys expected = pad == 0 && input < 14 ? firstPad[input] : PadKeys{-1, -1};
        EXPECT_EQ(InputState.PadKeyMap[pad][input].key1, expected.key1) << pad << "/" << input;
        EXPECT_EQ(InputState.PadKeyMap[pad][input].key2, expected.key2) << pad << "/" << input;
      }
    }
    EndEngine();
    InputState = InputStateRecord{};
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    ChangeWindowMode(TRUE);
  }
}

TEST_F(JoypadTest, ReleaseBeforeInputStartsReportsFailure) { EXPECT_EQ(ReleaseJoypads(), -1); }

}  // namespace
