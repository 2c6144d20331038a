#include <cmath>
#include <cstdio>

#include "sound_fixture.h"

namespace {

using namespace sound_bytes;

class SoundDecodeTest : public SoundFixture {
 protected:
  void SetUp() override {
    SoundFixture::SetUp();
    StartOutput();
  }
};

// Every kind of wave file decodes to the same 16-bit samples, within what its depth keeps.
TEST_F(SoundDecodeTest, WaveFormatsDecodeToTheirSamples) {
  const std::vector<double> left = Sine(1000, 22050, 441, 0.8), right = Sine(1000, 22050, 882, -0.5);
  const std::vector<double> stereo = Interleave(left, right);
  // Chunks the reader skips: one of odd size (padded to even) before fmt, one cut off after data.
  Bytes withChunks = Wave(1, 2, 22050, 16, Pcm(stereo, 16));
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  withChunks.insert(withChunks.begin() + 12, list.begin(), list.end());
  withChunks.insert(withChunks.end(), {'i', 'd', '3', ' ', 0xFF, 0, 0, 0, 1, 2});
  Bytes extensiblePcm = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  struct Case {
    const char* name;
    Bytes file;
    int channels;
    const std::vector<double>* samples;
    int tolerance;  // in 16-bit steps
  };
  const Case cases[] = {
      {"8-bit mono", Wave(1, 1, 22050, 8, Pcm(left, 8)), 1, &left, 256},
      {"16-bit stereo", Wave(1, 2, 22050, 16, Pcm(stereo, 16)), 2, &stereo, 0},
      {"24-bit stereo", Wave(1, 2, 22050, 24, Pcm(stereo, 24)), 2, &stereo, 1},
      {"32-bit mono", Wave(1, 1, 22050, 32, Pcm(left, 32)), 1, &left, 1},
      {"float mono", Wave(3, 1, 22050, 32, Float(left, 32)), 1, &left, 1},
      {"double stereo", Wave(3, 2, 22050, 64, Float(stereo, 64)), 2, &stereo, 0},
      {"other chunks around", withChunks, 2, &stereo, 0},
      {"extensible 16-bit stereo", Wave(0xFFFE, 2, 22050, 16, Pcm(stereo, 16), 0, extensiblePcm), 2, &stereo, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int sound = Load(c.file);
    ASSERT_GE(sound, 0) << fake::DebugOutput();
    EXPECT_EQ(GetSoundFrames(sound), 1000);
    EXPECT_EQ(GetSoundRate(sound), 22050);
    EXPECT_EQ(GetSoundChannels(sound), c.channels);
    EXPECT_EQ(GetSoundLength(sound), 45);
    const std::vector<std::int16_t> expected = ToInt16(*c.samples);
    const SoundSamples& got = Decoded(sound);
    int worst = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(got.samples[i] - expected[i]));
    EXPECT_LE(worst, c.tolerance);
    EXPECT_EQ(ReleaseSound(sound), 0);
  }
}

// IMA ADPCM of one and two channels, with a last block shorter than the others; the decoder
// must give the encoder's own reconstruction, which stays near the sine.
TEST_F(SoundDecodeTest, ImaAdpcmDecodes) {
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const int frames = 505 * 3 + 9;
    std::vector<double> wave = Sine(frames, 44100, 440, 0.7);
    if (channels == 2) wave = Interleave(wave, Sine(frames, 44100, 660, 0.3));
    const std::vector<std::int16_t> original = ToInt16(wave);
    const int sound = Load(ImaWave(original, channels, 44100, 505));
    ASSERT_GE(sound, 0) << fake::DebugOutput();
    EXPECT_EQ(GetSoundFrames(sound), frames);
    EXPECT_EQ(GetSoundChannels(sound), channels);
    const SoundSamples& got = Decoded(sound);
    double error = 0;
    for (std::size_t i = 0; i < original.size(); ++i) error += std::abs(got.samples[i] - original[i]);
    EXPECT_LT(error / original.size(), 200) << "mean error of the reconstruction";
    // Each block starts with its first sample stored whole.
    for (int block = 0; block < 3; ++block) {
      EXPECT_EQ(got.samples[block * 505 * channels], original[block * 505 * channels]);
    }
  }
}

TEST_F(SoundDecodeTest, OggVorbisDecodesFromMemoryAndFile) {
  const std::vector<double> wave = Interleave(Sine(44100, 44100, 440, 0.5), Sine(44100, 44100, 220, 0.25));
  const Bytes file = Vorbis(wave, 2, 44100);
  WriteFile("tone.ogg", file);
  const int fromMemory = Load(file);
  const int fromFile = LoadSound("tone.ogg");
  ASSERT_GE(fromMemory, 0) << fake::DebugOutput();
  ASSERT_GE(fromFile, 0) << fake::DebugOutput();
  for (int sound : {fromMemory, fromFile}) {
    EXPECT_EQ(GetSoundFrames(sound), 44100);
    EXPECT_EQ(GetSoundRate(sound), 44100);
    EXPECT_EQ(GetSoundChannels(sound), 2);
    EXPECT_EQ(GetSoundLength(sound), 1000);
  }
  const SoundSamples& got = Decoded(fromFile);
  EXPECT_EQ(std::memcmp(got.samples, Decoded(fromMemory).samples, 44100 * 4), 0);
  // Lossy, but the tone is there: the error is small against its amplitude.
  const std::vector<std::int16_t> expected = ToInt16(wave);
  double error = 0;
  for (std::size_t i = 2000; i < expected.size() - 2000; ++i) error += std::abs(got.samples[i] - expected[i]);
  EXPECT_LT(error / (expected.size() - 4000), 16384 * 0.02);
  EXPECT_EQ(ReleaseAllSounds(), 0);
  EXPECT_EQ(GetSoundFrames(fromFile), -1);
}

Bytes Cut(Bytes b, std::size_t size) {
  b.resize(size);
  return b;
}

Bytes Patched(Bytes b, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
  return b;
}

// Damaged, truncated and unsupported files: -1 and a log line naming what is wrong, no crash,
// nothing left allocated (the fixture checks).
TEST_F(SoundDecodeTest, DamagedFilesAreRefusedWithALogLine) {
  const Bytes good = Wave(1, 1, 22050, 16, Pcm(Sine(100, 22050, 441, 0.5), 16));
  const Bytes ima = ImaWave(ToInt16(Sine(505, 22050, 441, 0.5)), 1, 22050, 505);
  const Bytes ogg = Vorbis(Sine(22050, 22050, 441, 0.5), 1, 22050);
  // fmt at 12, its fields from 20: tag, channels (22), rate (24), ..., blockAlign (32), bits (34).
  Bytes noFormat = {'R', 'I', 'F', 'F', 12, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't', 'a', 0, 0, 0, 0};
  Bytes oggGarbage = ogg;
  for (std::size_t i = 200; i < 1200 && i < oggGarbage.size(); ++i) oggGarbage[i] ^= 0x5A;
  struct Case {
    const char* name;
    Bytes file;
    const char* reason;
  };
  const Case cases[] = {
      {"not a sound", Bytes(64, 'x'), "WAVE でも Ogg Vorbis でもありません"},
      {"RIFF header only", Cut(good, 12), "fmt チャンクがありません"},
      {"no fmt", noFormat, "fmt チャンクがありません"},
      {"fmt cut", Cut(good, 30), "fmt チャンクが途中で切れています"},
      {"data cut", Cut(good, good.size() - 10), "data チャンクが途中で切れています"},
      {"no data", Cut(good, 36), "data チャンクがありません"},
      {"three channels", Patched(good, 22, {3}), "モノラルとステレオ以外"},
      {"rate 0", Patched(good, 24, {0, 0, 0, 0}), "サンプリングレートが範囲外"},
      {"12 bits", Patched(good, 34, {12}), "ビット数"},
      {"block size wrong", Patched(good, 32, {3}), "ブロックの大きさ"},
      {"unknown format", Patched(good, 20, {0x55}), "対応していない形式"},
      {"data size huge", Patched(good, 40, {0xF0, 0xFF, 0xFF, 0x7F}), "data チャンクが途中で切れています"},
      {"ADPCM step index beyond the table", Patched(ima, 48 + 2, {89}), "IMA ADPCM のブロックが壊れています"},
      {"ADPCM frames per block too many", Patched(ima, 38, {0xFF, 0x7F}), "ブロックあたりのサンプル数"},
      {"Ogg cut", Cut(ogg, ogg.size() - 100), "途中で切れています"},
      {"Ogg header only", Cut(ogg, 40), "途中で切れています"},
      {"Ogg damaged", oggGarbage, "Ogg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ClearDebugOutput();
    EXPECT_EQ(Load(c.file), -1);
    EXPECT_TRUE(Logged("サウンド (メモリ) の読み込みに失敗しました: ")) << fake::DebugOutput();
    EXPECT_TRUE(Logged(c.reason)) << fake::DebugOutput();
  }
  fake::ClearDebugOutput();
  EXPECT_EQ(LoadSound("missing.wav"), -1);
  EXPECT_TRUE(Logged("サウンド missing.wav の読み込みに失敗しました: ファイルが開けません"));
  EXPECT_EQ(LoadSound(nullptr), -1);
  EXPECT_EQ(LoadSoundFromMemory(good.data(), 0), -1);
  EXPECT_EQ(LoadSoundFromMemory(nullptr, 10), -1);
}

TEST_F(SoundDecodeTest, BadHandlesAreRefused) {
  const int sound = Load(Wave(1, 1, 22050, 16, Pcm(Sine(100, 22050, 441, 0.5), 16)));
  ASSERT_GE(sound, 0);
  const int voice = PlaySoundHandle(sound, PlayOnce);
  for (int bad : {-1, sound | (1 << 31), (sound & ~(0xF << 27)) | (1 << 27), sound ^ (1 << 16), voice}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(GetSoundFrames(bad), -1);
    EXPECT_EQ(PlaySoundHandle(bad, PlayOnce), -1);
    EXPECT_EQ(SetSoundVolume(bad, 500), -1);
    EXPECT_EQ(ReleaseSound(bad), -1);
  }
  EXPECT_EQ(SetVoiceVolume(sound, 500), -1) << "a sound handle is no voice handle";
  EXPECT_EQ(ReleaseSound(sound), 0);
  EXPECT_EQ(GetSoundFrames(sound), -1) << "released";
  EXPECT_EQ(ReleaseSound(sound), -1);
}

}  // namespace
