// Sound on the real platform, recorded by SDL's disk audio driver (44100 Hz, 16-bit stereo) and
// compared with the mix worked out from the inputs. Each test runs in its own process (CTest),
// so the driver chosen through the environment is the one SDL starts with.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/engine_state.h"
#include "core/log.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "sound/sound_state.h"
#include "support/sound_bytes.h"
#include "test_support.h"
#include "vornek.h"

namespace {

using namespace sound_bytes;

class RealSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineState = EngineStateRecord{};
    SoundState = SoundStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
    file_ = (dir_.path() / "out.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  }
  std::string Log() const { return test_support::ReadFile(dir_.path() / "Log.txt"); }

  // The recording as 16-bit stereo samples.
  std::vector<std::int16_t> Recorded() const {
    const std::string bytes = test_support::ReadFile(file_);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
  }

  test_support::TempDirectory dir_;
  std::string file_;
};

double Cosine(int frame, double hz, double amplitude) { return amplitude * std::cos(2 * M_PI * hz * frame / 44100.0); }

// Two voices started in the same period: a mono 441 Hz cosine at half volume panned halfway
// left, and a 300 Hz cosine at 22050 Hz played at 33075 Hz (heard at 450 Hz) and looped from a
// loop point a whole number of periods in. The recording from the first sound on must be their
// sum within 6 steps of 16 bits (0.02 % of full scale): rounding in each of the two voices and
// the resampling of the second.
TEST_F(RealSoundTest, TheDiskDriverRecordsTheExpectedMix) {
  ASSERT_EQ(StartSound(), 0) << Log();
  std::vector<double> first(44100);
  for (int i = 0; i < 44100; ++i) first[i] = Cosine(i, 441, 0.4);
  std::vector<double> second(2205);  // 30 periods of 300 Hz at 22050 Hz
  for (int i = 0; i < 2205; ++i) second[i] = 0.3 * std::cos(2 * M_PI * 300 * i / 22050.0);
  const Bytes firstFile = Wave(1, 1, 44100, 16, Pcm(first, 16));
  const Bytes secondFile = Wave(1, 1, 22050, 16, Pcm(second, 16));
  const int a = LoadSoundFromMemory(firstFile.data(), static_cast<int>(firstFile.size()));
  const int b = LoadSoundFromMemory(secondFile.data(), static_cast<int>(secondFile.size()));
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  ASSERT_EQ(SetSoundVolume(a, 500), 0);
  ASSERT_EQ(SetSoundPan(a, -500), 0);
  ASSERT_EQ(SetSoundLoopPoint(b, 735), 0);
  ASSERT_EQ(SetSoundFrequency(b, 33075), 0);

  SetMixerHeld(true);  // both start at the same output frame
  ASSERT_GE(PlaySoundHandle(a, PlayOnce), 0);
  const int loop = PlaySoundHandle(b, PlayLoop);
  ASSERT_GE(loop, 0);
  SetMixerHeld(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(IsVoicePlaying(loop), 1);
  EXPECT_EQ(EndSound(), 0);

  const std::vector<std::int16_t> recorded = Recorded();
  std::size_t start = 0;
  while (start < recorded.size() && recorded[start] == 0) ++start;
  start -= start % 2;
  const std::size_t frames = (recorded.size() - start) / 2;
  ASSERT_GT(frames, 44100u / 10) << "a tenth of a second at least";
  int worst = 0;
  for (std::size_t f = 2; f < frames; ++f) {  // the first frames are shaped by the silence before
    const double shared = 0.3 * std::cos(2 * M_PI * 450 * static_cast<double>(f) / 44100.0);
    const double left = Cosine(static_cast<int>(f), 441, 0.4) * 0.5 + shared;
    const double right = Cosine(static_cast<int>(f), 441, 0.4) * 0.25 + shared;
    worst = std::max(worst, static_cast<int>(std::abs(recorded[start + 2 * f] - std::lround(left * 32768))));
    worst = std::max(worst, static_cast<int>(std::abs(recorded[start + 2 * f + 1] - std::lround(right * 32768))));
  }
  EXPECT_LE(worst, 6) << "over " << frames << " frames";
}

// With SDL's dummy driver there is no output: sounds load, report their length and play
// nothing; music is checked and not kept.
TEST_F(RealSoundTest, TheDummyDriverPlaysNothing) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(StartSound(), -1);
  const Bytes file =
      Wave(1, 2, 48000, 16, Pcm(Interleave(Sine(24000, 48000, 440, 0.5), Sine(24000, 48000, 440, 0.5)), 16));
  const int sound = LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
  ASSERT_GE(sound, 0);
  EXPECT_EQ(GetSoundLength(sound), 500);
  const int voice = PlaySoundHandle(sound, PlayOnce);
  ASSERT_GE(voice, 0);
  EXPECT_EQ(IsVoicePlaying(voice), 0);
  EXPECT_EQ(EndSound(), -1);
  EXPECT_EQ(GetSoundLength(sound), -1);
}

}  // namespace
