// Sounds through the engine's lifecycle and its message pump on the fake platform.
#include <cstring>

#include "core/tracked_memory.h"
#include "engine_fixture.h"
#include "sound/sound_state.h"
#include "support/sound_bytes.h"
#include "test_support.h"

namespace {

using namespace sound_bytes;
using fake::EventKind;

class SoundLifecycleTest : public EngineFixture {
 protected:
  static int Tone(int frames) {
    const Bytes file = Wave(1, 1, 44100, 16, Pcm(Sine(frames, 44100, 441, 0.5), 16));
    return LoadSoundFromMemory(file.data(), static_cast<int>(file.size()));
  }
  static bool Silent(const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t b : bytes) {
      if (b != 0) return false;
    }
    return true;
  }
  test_support::TempDirectory dir_;
};

// EndEngine stops the music and releases every sound and voice, playing or not: nothing is left
// for the memory report. Outside a run nothing is made that no release would reach.
TEST_F(SoundLifecycleTest, TheEngineReleasesEverySound) {
  WriteFile("music.ogg", Vorbis(Sine(44100, 44100, 330, 0.3), 1, 44100));
  EXPECT_EQ(Tone(100), -1);
  EXPECT_EQ(PlayMusic("music.ogg", PlayLoop, 0, 0), -1);
  Start();
  const int sound = Tone(44100);
  ASSERT_GE(PlaySoundHandle(sound, PlayLoop), 0);
  ASSERT_EQ(PlayMusic("music.ogg", PlayLoop, 0, 0), 0);
  EXPECT_FALSE(Silent(fake::PullAudio(512)));
  EXPECT_EQ(EndEngine(), 0);
  EXPECT_EQ(LiveBlockCount(), 0);
  EXPECT_EQ(fake::LiveSoundObjects(), 0);
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(GetSoundFrames(sound), -1);
  EXPECT_EQ(Tone(100), -1);
  EXPECT_EQ(LiveBlockCount(), 0);
}

// The pump holds the sounds while the application is inactive, and lets them go on when it is
// active again; the setting keeps them playing through it.
TEST_F(SoundLifecycleTest, ThePumpHoldsSoundsWhileInactive) {
  Start();
  const int sound = Tone(44100);
  PlaySoundHandle(sound, PlayLoop);
  EXPECT_FALSE(Silent(fake::PullAudio(64)));

  fake::Send(Simple(EventKind::Deactivate));
  fake::Schedule(fake::CurrentPass() + 5, Simple(EventKind::Activate));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_FALSE(Silent(fake::PullAudio(64))) << "active again";

  fake::Send(Simple(EventKind::Deactivate));
  fake::Schedule(fake::CurrentPass() + 5, Simple(EventKind::Close));
  EXPECT_EQ(PumpMessages(), -1);
  EXPECT_EQ(EngineState.AppActive, 0);
  EXPECT_TRUE(Silent(fake::PullAudio(64))) << "held while inactive";
  EXPECT_EQ(SetSoundPlayWhileInactive(TRUE), 0);
  EXPECT_FALSE(Silent(fake::PullAudio(64)));
}

}  // namespace
