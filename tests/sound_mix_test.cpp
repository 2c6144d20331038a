// The mix heard at the output, against the mix worked out from the inputs. The fake output is
// 44100 Hz stereo of 16 bits; sounds at that rate and their own frequency play their samples
// unchanged, so those mixes are compared within one step of rounding. Resampled ones are
// compared with the ideal sine within 4 steps (0.01 % of full scale).
#include <cmath>

#include "sound/mixer.h"
#include "sound_fixture.h"

namespace {

using namespace sound_bytes;

constexpr int Rate = 44100;

class SoundMixTest : public SoundFixture {
 protected:
  void SetUp() override {
    SoundFixture::SetUp();
    StartOutput();
  }
  void TearDown() override {
    EngineState.MainWindow = nullptr;
    SoundFixture::TearDown();
  }
};

int MonoSound(const std::vector<double>& samples, int rate = Rate) {
  const Bytes file = Wave(1, 1, static_cast<std::uint32_t>(rate), 16, Pcm(samples, 16));
  return LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
}

// The worst difference, in 16-bit steps, between the output's channel and the expected values
// (from the first frame on).
int WorstDifference(const std::vector<std::int16_t>& out, int channel, const std::vector<double>& expected) {
  int worst = 0;
  for (std::size_t f = 0; f < expected.size(); ++f) {
    const long want = std::clamp(std::lround(expected[f] * 32768), -32768L, 32767L);
    worst = std::max(worst, static_cast<int>(std::abs(out[2 * f + channel] - want)));
  }
  return worst;
}

std::vector<double> Scaled(std::vector<double> v, double gain) {
  for (double& x : v) x *= gain;
  return v;
}

TEST_F(SoundMixTest, VolumePanAndMasterScaleTheSine) {
  const std::vector<double> sine = Sine(2048, Rate, 441, 0.8);
  struct Case {
    const char* name;
    int soundVolume, soundPan, voiceVolume, voicePan, master;  // -1: left alone
    double left, right;
  };
  const Case cases[] = {
      {"as recorded", -1, -1, -1, -1, -1, 1.0, 1.0},
      {"half volume", 500, -1, -1, -1, -1, 0.5, 0.5},
      {"hard left", -1, -1000, -1, -1, -1, 1.0, 0.0},
      {"half right", -1, 500, -1, -1, -1, 0.5, 1.0},
      {"the voice's own volume and pan", 500, 0, 250, -250, -1, 0.25, 0.1875},
      {"master volume", 800, -1, -1, -1, 500, 0.4, 0.4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int sound = MonoSound(sine);
    ASSERT_GE(sound, 0);
    if (c.soundVolume >= 0) {
      EXPECT_EQ(SetSoundVolume(sound, c.soundVolume), 0);
    }
    if (c.soundPan != -1) {
      EXPECT_EQ(SetSoundPan(sound, c.soundPan), 0);
    }
    if (c.master >= 0) {
      EXPECT_EQ(SetMasterVolume(c.master), 0);
    }
    const int voice = PlaySoundHandle(sound, PlayOnce);
    ASSERT_GE(voice, 0);
    if (c.voiceVolume >= 0) {
      EXPECT_EQ(SetVoiceVolume(voice, c.voiceVolume), 0);
    }
    if (c.voicePan != -1) {
      EXPECT_EQ(SetVoicePan(voice, c.voicePan), 0);
    }
    const std::vector<std::int16_t> out = Pull(2048);
    EXPECT_LE(WorstDifference(out, 0, Scaled(sine, c.left)), 1);
    EXPECT_LE(WorstDifference(out, 1, Scaled(sine, c.right)), 1);
    EXPECT_EQ(ReleaseSound(sound), 0);
    EXPECT_EQ(SetMasterVolume(1000), 0);
  }
  EXPECT_EQ(SetSoundVolume(-5, 1001), -1);
  EXPECT_EQ(SetMasterVolume(1001), -1);
  EXPECT_EQ(GetMasterVolume(), 1000);
}

TEST_F(SoundMixTest, OverlappingVoicesAddAndClipAtFullScale) {
  const std::vector<double> sine = Sine(4000, Rate, 300, 0.3);
  const int sound = MonoSound(sine);
  const int first = PlaySoundHandle(sound, PlayOnce);
  Pull(1000);
  const int second = PlaySoundHandle(sound, PlayOnce);
  EXPECT_NE(first, second);
  const std::vector<std::int16_t> out = Pull(1000);
  std::vector<double> expected(1000);
  for (int f = 0; f < 1000; ++f) expected[f] = sine[1000 + f] + sine[f];
  EXPECT_LE(WorstDifference(out, 0, expected), 1);
  EXPECT_LE(WorstDifference(out, 1, expected), 1);

  // Five voices of a full-scale square wave sum far past the 16-bit range: held there.
  std::vector<double> square(400);
  for (int i = 0; i < 400; ++i) square[i] = (i / 100) % 2 == 0 ? 0.99 : -0.99;
  const int loud = MonoSound(square);
  StopSoundHandle(sound);
  for (int i = 0; i < 5; ++i) PlaySoundHandle(loud, PlayOnce);
  const std::vector<std::int16_t> clipped = Pull(400);
  for (int f = 0; f < 400; ++f) {
    ASSERT_EQ(clipped[2 * f], (f / 100) % 2 == 0 ? 32767 : -32768) << f;
  }
}

TEST_F(SoundMixTest, OnceEndsLoopGoesBackToTheLoopPoint) {
  std::vector<double> ramp(100);
  for (int i = 0; i < 100; ++i) ramp[i] = (i + 1) / 128.0;
  const int sound = MonoSound(ramp);
  EXPECT_EQ(SetSoundLoopPoint(sound, 60), 0);
  EXPECT_EQ(SetSoundLoopPoint(sound, 100), -1);
  EXPECT_EQ(SetSoundLoopPoint(sound, -1), -1);

  const int once = PlaySoundHandle(sound, PlayOnce);
  const int looped = PlaySoundHandle(sound, PlayLoop);
  StopVoice(looped);
  EXPECT_EQ(IsVoicePlaying(looped), 0);
  std::vector<std::int16_t> out = Pull(150);
  for (int f = 0; f < 150; ++f) ASSERT_EQ(out[2 * f], f < 100 ? (f + 1) * 256 : 0) << f;
  EXPECT_EQ(IsVoicePlaying(once), 0);
  EXPECT_EQ(IsSoundHandlePlaying(sound), 0);

  const int loop = PlaySoundHandle(sound, PlayLoop);
  out = Pull(300);
  for (int f = 0; f < 300; ++f) {
    const int frame = f < 100 ? f : 60 + (f - 100) % 40;
    ASSERT_EQ(out[2 * f], (frame + 1) * 256) << f;
  }
  EXPECT_EQ(IsVoicePlaying(loop), 1);
  EXPECT_EQ(IsSoundHandlePlaying(sound), 1);
  EXPECT_EQ(StopSoundHandle(sound), 0);
  EXPECT_EQ(IsVoicePlaying(loop), 0);
  out = Pull(10);
  EXPECT_EQ(out, std::vector<std::int16_t>(20, 0));
}

// Pitch: a sound played at another frequency, and a sound at another rate than the output's,
// come out as the sine they stand for.
TEST_F(SoundMixTest, FrequencyAndRateResampleTheSine) {
  struct Case {
    const char* name;
    int rate;       // the sound's
    double hz;      // its sine
    int frequency;  // played at (0: its rate)
    double heard;   // the sine at the output
  };
  const Case cases[] = {
      {"an octave up", Rate, 441, 2 * Rate, 882},
      {"a fifth down", Rate, 660, Rate * 2 / 3, 440},
      {"22050 Hz sound", 22050, 500, 0, 500},
      {"48000 Hz sound a third up", 48000, 400, 60000, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int sound = MonoSound(Sine(c.rate * 2, c.rate, c.hz, 0.5), c.rate);
    const int voice = PlaySoundHandle(sound, PlayOnce);
    if (c.frequency != 0) {
      EXPECT_EQ(SetVoiceFrequency(voice, c.frequency), 0);
    }
    const std::vector<std::int16_t> out = Pull(4096);
    // Past the first frame, which is worked out from the silence before the start.
    std::vector<double> heard = Sine(4096, Rate, c.heard, 0.5);
    heard[1] = out[2] / 32768.0;
    EXPECT_LE(WorstDifference(out, 0, heard), 4) << "4 steps: 0.01 % of full scale";
    EXPECT_EQ(ReleaseSound(sound), 0);
    EXPECT_EQ(IsVoicePlaying(voice), -1) << "the voice went with its sound";
  }
  const int sound = MonoSound(Sine(100, Rate, 441, 0.5));
  EXPECT_EQ(SetSoundFrequency(sound, 99), -1);
  EXPECT_EQ(SetSoundFrequency(sound, 400001), -1);
  EXPECT_EQ(SetSoundFrequency(sound, 0), 0);
}

TEST_F(SoundMixTest, ChangesReachVoicesWhilePlaying) {
  const std::vector<double> sine = Sine(3000, Rate, 441, 0.5);
  const int sound = MonoSound(sine);
  const int voice = PlaySoundHandle(sound, PlayOnce);
  Pull(1000);
  EXPECT_EQ(SetSoundVolume(sound, 500), 0);
  EXPECT_EQ(SetSoundPan(sound, 1000), 0);
  std::vector<std::int16_t> out = Pull(1000);
  const std::vector<double> next(sine.begin() + 1000, sine.begin() + 2000);
  EXPECT_LE(WorstDifference(out, 0, Scaled(next, 0.0)), 1);
  EXPECT_LE(WorstDifference(out, 1, Scaled(next, 0.5)), 1);
  EXPECT_EQ(StopVoice(voice), 0);
  EXPECT_EQ(Pull(10), std::vector<std::int16_t>(20, 0));
}

// A voice of a sound released while it plays is gone from the next period on.
TEST_F(SoundMixTest, ReleasingAPlayingSoundSilencesIt) {
  const int sound = MonoSound(Sine(3000, Rate, 441, 0.5));
  const int voice = PlaySoundHandle(sound, PlayLoop);
  Pull(100);
  EXPECT_EQ(ReleaseSound(sound), 0);
  EXPECT_EQ(IsVoicePlaying(voice), -1);
  EXPECT_EQ(Pull(100), std::vector<std::int16_t>(200, 0));
}

// With every voice busy, the oldest voice played once gives way; with every voice looping, a
// play fails.
TEST_F(SoundMixTest, VoicesRunOutInOrder) {
  const int sound = MonoSound(Sine(1000, Rate, 441, 0.01));
  const int first = PlaySoundHandle(sound, PlayOnce);
  for (int i = 1; i < VoiceSlots; ++i) ASSERT_GE(PlaySoundHandle(sound, PlayLoop), 0);
  const int taker = PlaySoundHandle(sound, PlayOnce);
  ASSERT_GE(taker, 0);
  EXPECT_EQ(IsVoicePlaying(first), -1);
  EXPECT_EQ(IsVoicePlaying(taker), 1);
  ASSERT_GE(PlaySoundHandle(sound, PlayOnce), 0) << "the newest gives way to the next";
  StopVoice(PlaySoundHandle(sound, PlayLoop));
  for (int i = 0; i < VoiceSlots; ++i) PlaySoundHandle(sound, PlayLoop);
  fake::ClearDebugOutput();
  EXPECT_EQ(PlaySoundHandle(sound, PlayLoop), -1);
  EXPECT_TRUE(Logged("ボイスが 128 個すべてループ再生中です"));
}

// While the application is inactive the output is silent and every voice holds its place;
// the setting keeps them going.
TEST_F(SoundMixTest, InactiveApplicationHoldsSoundsUnlessTold) {
  std::vector<double> ramp(1000);
  for (int i = 0; i < 1000; ++i) ramp[i] = i / 2048.0;
  const int sound = MonoSound(ramp);
  PlaySoundHandle(sound, PlayOnce);
  Pull(100);
  EngineState.MainWindow = reinterpret_cast<HWND>(&dir_);  // any window will do
  EngineState.AppActive = 0;
  UpdateSoundStreams();
  EXPECT_EQ(Pull(100), std::vector<std::int16_t>(200, 0));
  EngineState.AppActive = 1;
  UpdateSoundStreams();
  EXPECT_EQ(Pull(1)[0], 100 * 16) << "went on where it stopped";

  EngineState.AppActive = 0;
  EXPECT_EQ(SetSoundPlayWhileInactive(TRUE), 0);
  UpdateSoundStreams();
  EXPECT_EQ(Pull(1)[0], 101 * 16);
}

// Without an output every call works and nothing is heard.
class SoundWithoutDeviceTest : public SoundFixture {};

TEST_F(SoundWithoutDeviceTest, CallsWorkAndPlayNothing) {
  fake::AudioDevice none;
  none.present = false;
  fake::SetAudioDevice(none);
  EXPECT_EQ(StartSound(), -1);
  const int sound = MonoSound(Sine(22050, Rate, 441, 0.5));
  ASSERT_GE(sound, 0);
  EXPECT_EQ(GetSoundLength(sound), 500);
  const int once = PlaySoundHandle(sound, PlayOnce);
  const int loop = PlaySoundHandle(sound, PlayLoop);
  ASSERT_GE(once, 0);
  ASSERT_GE(loop, 0);
  EXPECT_EQ(IsVoicePlaying(once), 0) << "nothing to wait for";
  EXPECT_EQ(IsVoicePlaying(loop), 1);
  EXPECT_EQ(SetVoiceVolume(loop, 100), 0);
  EXPECT_EQ(SetSoundPan(sound, -300), 0);
  EXPECT_EQ(SetMasterVolume(300), 0);
  EXPECT_EQ(StopVoice(loop), 0);
  EXPECT_EQ(IsSoundHandlePlaying(sound), 0);

  WriteFile("music.ogg", Vorbis(Sine(4410, Rate, 441, 0.5), 1, Rate));
  WriteFile("bad.ogg", Bytes(100, 'x'));
  EXPECT_EQ(PlayMusic("music.ogg", PlayLoop, 0, 0), 0);
  EXPECT_EQ(PlayMusic("bad.ogg", PlayLoop, 0, 0), -1);
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(EndSound(), -1);
  EXPECT_EQ(GetSoundFrames(sound), -1) << "released all the same";
}

}  // namespace
