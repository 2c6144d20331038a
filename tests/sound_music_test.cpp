// Music streamed from an Ogg file, against the same file decoded whole.
#include <cmath>

#include "sound/midi_music.h"
#include "sound_fixture.h"

namespace {

using namespace sound_bytes;

constexpr int Rate = 44100;

class SoundMusicTest : public SoundFixture {
 protected:
  void SetUp() override {
    SoundFixture::SetUp();
    StartOutput();
    // Three and a half seconds: longer than the two the stream decodes ahead.
    WriteFile("music.ogg", Vorbis(Interleave(Sine(Frames, Rate, 440, 0.5), Sine(Frames, Rate, 330, 0.25)), 2, Rate));
    whole_ = LoadSound("music.ogg");
    ASSERT_GE(whole_, 0);
    ASSERT_EQ(GetSoundFrames(whole_), Frames);
  }

  // The decoded sound's frame f, left or right.
  int Whole(int f, int channel) { return Decoded(whole_).samples[2 * f + channel]; }

  // Pulls frames in periods of 1024, pumping (the music's upkeep) between them as a game would.
  static std::vector<std::int16_t> PullPumped(int frames) {
    std::vector<std::int16_t> out;
    while (frames > 0) {
      const std::vector<std::int16_t> part = Pull(std::min(frames, 1024));
      out.insert(out.end(), part.begin(), part.end());
      frames -= 1024;
      UpdateSoundStreams();
    }
    return out;
  }

  static constexpr int Frames = Rate * 7 / 2;
  int whole_ = -1;
};

TEST_F(SoundMusicTest, StreamsTheWholeFileOnceAndEnds) {
  ASSERT_EQ(PlayMusic("music.ogg", PlayOnce, 0, 0), 0);
  EXPECT_EQ(IsMusicPlaying(), 1);
  const std::vector<std::int16_t> out = PullPumped(Frames + 2048);
  int worst = 0;
  for (int f = 0; f < Frames; ++f) {
    for (int c = 0; c < 2; ++c) worst = std::max(worst, std::abs(out[2 * f + c] - Whole(f, c)));
  }
  EXPECT_LE(worst, 1);
  for (int f = Frames; f < Frames + 2048; ++f) ASSERT_EQ(out[2 * f], 0) << f;
  UpdateSoundStreams();
  EXPECT_EQ(IsMusicPlaying(), 0);
}

TEST_F(SoundMusicTest, LoopsBackToTheLoopPoint) {
  const int loopAt = 30000;
  ASSERT_EQ(PlayMusic("music.ogg", PlayLoop, loopAt, 0), 0);
  const std::vector<std::int16_t> out = PullPumped(Frames + 20000);
  // Vorbis decodes a sample again after a seek to within a step or two of the first time.
  int worst = 0;
  for (int f = Frames; f < Frames + 20000; ++f) {
    worst = std::max(worst, std::abs(out[2 * f] - Whole(loopAt + f - Frames, 0)));
  }
  EXPECT_LE(worst, 4);
  EXPECT_EQ(IsMusicPlaying(), 1);
  EXPECT_EQ(StopMusic(), 0);
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(Pull(10), std::vector<std::int16_t>(20, 0));
}

TEST_F(SoundMusicTest, FadesInAndOutAndVolumeScales) {
  ASSERT_EQ(SetMusicVolume(500), 0);
  ASSERT_EQ(PlayMusic("music.ogg", PlayLoop, 0, 100), 0);  // 4410 frames of fade
  std::vector<std::int16_t> out = PullPumped(8820);
  for (int f : {0, 1000, 2205, 4000, 6000}) {
    const double fade = std::min(1.0, f / 4410.0);
    EXPECT_NEAR(out[2 * f], Whole(f, 0) * 0.5 * fade, 2 + std::abs(Whole(f, 0)) * 0.01) << f;
  }
  ASSERT_EQ(FadeOutMusic(50), 0);  // 2205 frames
  out = PullPumped(4410);
  for (int f : {0, 1100, 2000}) {
    const double fade = 1.0 - f / 2205.0;
    EXPECT_NEAR(out[2 * f], Whole(8820 + f, 0) * 0.5 * fade, 2 + std::abs(Whole(8820 + f, 0)) * 0.01) << f;
  }
  for (int f = 2210; f < 4410; ++f) ASSERT_EQ(out[2 * f], 0) << f;
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(FadeOutMusic(10), -1) << "nothing plays";
  EXPECT_EQ(SetMusicVolume(1001), -1);
}

// A game that ends the engine and starts it again hears its music at the full volume, as the
// master volume is full again.
TEST_F(SoundMusicTest, EachStartOfTheEnginePlaysMusicAtTheFullVolume) {
  const std::vector<std::int16_t> whole(Decoded(whole_).samples, Decoded(whole_).samples + 2 * 2048);
  ASSERT_EQ(SetMusicVolume(500), 0);
  ASSERT_EQ(SetMasterVolume(500), 0);
  EndSound();
  StartOutput();
  ASSERT_EQ(PlayMusic("music.ogg", PlayOnce, 0, 0), 0);
  const std::vector<std::int16_t> out = PullPumped(2048);
  for (int f : {100, 1000, 2000}) EXPECT_NEAR(out[2 * f], whole[2 * f], 2 + std::abs(whole[2 * f]) * 0.01) << f;
}

TEST_F(SoundMusicTest, FilesThatCannotPlayAreRefused) {
  WriteFile("noise.ogg", Bytes(5000, 'n'));
  const Bytes midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  WriteFile("song.mid", midi);
  struct Case {
    const char* name;
    const char* path;
    int mode, loopAt, fade;
    const char* reason;
  };
  const Case cases[] = {
      {"missing", "missing.ogg", PlayOnce, 0, 0, "ファイルが開けません"},
      {"not Ogg", "noise.ogg", PlayOnce, 0, 0, "Ogg Vorbis ファイルではないか、壊れています"},
      {"loop point past the end", "music.ogg", PlayLoop, Frames, 0, "ループの位置が音楽の長さを超えています"},
      {"bad mode", "music.ogg", 7, 0, 0, "引数が範囲外です"},
      {"negative fade", "music.ogg", PlayOnce, 0, -1, "引数が範囲外です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ClearDebugOutput();
    EXPECT_EQ(PlayMusic(c.path, c.mode, c.loopAt, c.fade), -1);
    EXPECT_TRUE(Logged(c.reason)) << fake::DebugOutput();
    EXPECT_EQ(IsMusicPlaying(), 0);
  }
}

}  // namespace

namespace {

// A MIDI file of one track: a C major chord held for half a second, on a piano.
Bytes ChordMidi() {
  // Program change, three notes on, half a second (480 ticks of 480 a beat at 120 a minute),
  // the notes off, the end of the track.
  static const char track[] =
      "\x00\xC0\x00"
      "\x00\x90\x3C\x64\x00\x90\x40\x64\x00\x90\x43\x64"
      "\x83\x60\x80\x3C\x00\x00\x80\x40\x00\x00\x80\x43\x00"
      "\x00\xFF\x2F\x00";
  static const char header[] = "MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0";
  Bytes file(header, header + sizeof header - 1);
  file.push_back(static_cast<std::uint8_t>(sizeof track - 1));
  file.insert(file.end(), track, track + sizeof track - 1);
  return file;
}

// MIDI plays through FluidSynth where the build has it (and a SoundFont is installed), and is
// refused with a log line otherwise.
TEST_F(SoundMusicTest, MidiPlaysWhereTheBuildHasASynthesiser) {
  WriteFile("chord.mid", ChordMidi());
  fake::ClearDebugOutput();
  if (!MidiInThisBuild()) {
    EXPECT_EQ(PlayMusic("chord.mid", PlayOnce, 0, 0), -1);
    EXPECT_TRUE(Logged("MIDI の演奏はこのビルドにはありません")) << fake::DebugOutput();
    return;
  }
  const int result = PlayMusic("chord.mid", PlayOnce, 0, 0);
  if (result != 0 && Logged("SoundFont がありません")) GTEST_SKIP() << "no General MIDI SoundFont installed";
  ASSERT_EQ(result, 0) << fake::DebugOutput();
  const std::vector<std::int16_t> out = PullPumped(Rate);
  int peak = 0;
  for (std::int16_t s : out) peak = std::max(peak, std::abs(static_cast<int>(s)));
  EXPECT_GT(peak, 1000) << "the chord is heard";
  PullPumped(3 * Rate);
  UpdateSoundStreams();
  EXPECT_EQ(IsMusicPlaying(), 0) << "ended with its file";
}

}  // namespace
