#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/log.h"
#include "engine_fixture.h"
#include "fake_platform.h"
#include "platform/dsound.h"
#include "sound/sound.h"
#include "sound/sound_state.h"
#include "test_support.h"

namespace {

using test_support::Sjis;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    SoundState = SoundStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
  }
  void TearDown() override {
    EndSound();
    EXPECT_EQ(fake::LiveSoundObjects(), 0) << "sound objects outlived EndSound";
    fake::ResetPlatform();
  }

  static std::string Log() { return fake::DebugOutput(); }
  static bool Logged(const std::string& utf8) { return Log().find(Sjis(utf8)) != std::string::npos; }

  test_support::TempDirectory dir_;
};

const char* const StartLines =
    "DirectSound の初期化を行います\r\n"
    "DirectSound インターフェースの取得を行います....  成功\r\n"
    "引き続きインターフェースの初期化処理...  成功\r\n";

TEST_F(SoundTest, StartsWithTheDeviceReportAndEnds) {
  fake::AudioDevice device;
  device.devices = {{"Fake Output", "fake"}, {"Second Output", "fake2"}};
  device.totalMemory = 3072;
  device.freeMemory = 1536;
  fake::SetAudioDevice(device);
  ASSERT_EQ(StartSound(), 0);
  EXPECT_EQ(Log(),
            Sjis(std::string(StartLines) + "\tDirectSound デバイスを列挙します\r\n"
                                           "\t\tモジュール名:           fake  ドライバ記述:Fake Output \r\n"
                                           "\t\tモジュール名:          fake2  ドライバ記述:Second Output \r\n"
                                           "\t最大サンプリングレート:48.00KHz 最小サンプリングレート:0.10KHz \r\n"
                                           "\t総サウンドメモリ領域:3.00KB 空きサウンドメモリ領域:1.50KB \r\n\r\n"
                                           "\t利用可能サンプリング精度\r\n"
                                           "\t プライマリ １６bit = OK  ８bit = OK \r\n"
                                           "\t セカンダリ １６bit = OK  ８bit = OK \r\n\r\n"
                                           "\t利用可能チャンネル\r\n"
                                           "\t プライマリ MONO = OK  STEREO = OK \r\n"
                                           "\t セカンダリ MONO = OK  STEREO = OK \r\n\r\n"
                                           "DirectSound の初期化は正常に終了しました\r\n"));
  EXPECT_EQ(EngineState.LogIndent, 0);
  EXPECT_NE(SoundState.DirectSoundObject, nullptr);
  EXPECT_NE(SoundState.PrimaryBuffer, nullptr);
  ASSERT_NE(SoundState.SilentBuffer, nullptr);
  EXPECT_EQ(StartSound(), -1) << "already started";

  fake::ClearDebugOutput();
  EXPECT_EQ(EndSound(), 0);
  EXPECT_EQ(Log(), Sjis("DirectSound の終了処理は正常に終了しました\r\n"));
  EXPECT_EQ(SoundState.DirectSoundObject, nullptr);
  EXPECT_EQ(SoundState.PrimaryBuffer, nullptr);
  EXPECT_EQ(SoundState.SilentBuffer, nullptr);
  EXPECT_EQ(fake::OpenedAudio().rate, 0u) << "the output is closed";
  EXPECT_EQ(fake::LiveSoundObjects(), 0);

  fake::ClearDebugOutput();
  EXPECT_EQ(EndSound(), -1);
  EXPECT_EQ(Log(), "") << "ending sound that is not started logs nothing";
}

TEST_F(SoundTest, PrimaryFormatFollowsTheDeviceCapabilities) {
  constexpr unsigned Secondary = 0xF00;
  struct Case {
    const char* name;
    unsigned flags, maxRate;
    unsigned rate, channels, bits;
    const char* sizes;
    const char* channelsLine;
  };
  const Case cases[] = {
      {"48000 is played at 44100", 0xF, 48000, 44100, 2, 16, " プライマリ １６bit = OK  ８bit = OK ",
       " プライマリ MONO = OK  STEREO = OK "},
      {"44100 stays", 0xF, 44100, 44100, 2, 16, " プライマリ １６bit = OK  ８bit = OK ",
       " プライマリ MONO = OK  STEREO = OK "},
      {"22050 stays", 0xF, 22050, 22050, 2, 16, " プライマリ １６bit = OK  ８bit = OK ",
       " プライマリ MONO = OK  STEREO = OK "},
      {"mono, 8-bit", 0x5, 11025, 11025, 1, 8, " プライマリ １６bit = NO  ８bit = OK ",
       " プライマリ MONO = OK  STEREO = NO "},
      {"stereo, 8-bit", 0x6, 96000, 44100, 2, 8, " プライマリ １６bit = NO  ８bit = OK ",
       " プライマリ MONO = NO  STEREO = OK "},
      {"mono, 16-bit", 0x9, 32000, 32000, 1, 16, " プライマリ １６bit = OK  ８bit = NO ",
       " プライマリ MONO = OK  STEREO = NO "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    fake::AudioDevice device;
    device.flags = c.flags | Secondary;
    device.maxRate = c.maxRate;
    fake::SetAudioDevice(device);
    ASSERT_EQ(StartSound(), 0);
    EXPECT_EQ(fake::OpenedAudio().rate, c.rate);
    EXPECT_EQ(fake::OpenedAudio().channels, c.channels);
    EXPECT_EQ(fake::OpenedAudio().bits, c.bits);
    EXPECT_TRUE(Logged(std::string("\t") + c.sizes + "\r\n")) << Log();
    EXPECT_TRUE(Logged(std::string("\t") + c.channelsLine + "\r\n")) << Log();
    EXPECT_EQ(EndSound(), 0);
  }
}

TEST_F(SoundTest, EachFailingStep) {
  struct Case {
    const char* name;
    fake::Failure failure;  // FailureCount: the device is missing instead
    int result;
    const char* logged;  // the line as it appears, with its indentation
    bool started, primary, silent, report;
  };
  const Case cases[] = {
      {"no DirectSound", fake::Failure::DirectSoundCreate, -1,
       "DirectSound インターフェースの取得を行います....  DirectSoundインターフェースの作成に失敗しました\r\n", false,
       false, false, false},
      {"no sound device", fake::Failure::FailureCount, -1,
       "引き続きインターフェースの初期化処理...  初期化に失敗しました\r\n", false, false, false, false},
      {"cooperative level", fake::Failure::SoundCooperativeLevel, -1, "DirectSoundの協調レベルの設定に失敗しました\r\n",
       false, false, false, false},
      {"primary buffer", fake::Failure::PrimarySoundBuffer, -1,
       "DirectSoundのプライマリサウンドバッファの作成に失敗しました\r\n", false, false, false, false},
      {"primary format", fake::Failure::PrimarySoundFormat, 0,
       "DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\r\n", true, true, true, true},
      {"silent buffer", fake::Failure::SecondarySoundBuffer, 0,
       "無音バッファの作成に失敗しましたDirectSound デバイスを列挙します\r\n", true, true, false, true},
      {"silent buffer lock", fake::Failure::SoundBufferLock, 0,
       "無音バッファのロックに失敗しましたDirectSound デバイスを列挙します\r\n", true, true, false, true},
      {"no DSOUND.DLL", fake::Failure::LoadDsound, 0,
       "\t\tDSOUND.DLL のロードに失敗しました\r\nDirectSound の初期化は正常に終了しました\r\n", true, true, true,
       false},
      {"no enumeration function", fake::Failure::DirectSoundEnumerate, 0,
       "\t\tDirectSound デバイスの列挙用関数のポインタ取得に失敗しました\r\nDirectSound "
       "の初期化は正常に終了しました\r\n",
       true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.failure == fake::Failure::FailureCount) {
      fake::AudioDevice none;
      none.present = false;
      fake::SetAudioDevice(none);
    } else {
      fake::SetFailure(c.failure, true);
    }
    EXPECT_EQ(StartSound(), c.result);
    EXPECT_TRUE(Logged(c.logged)) << Log();
    EXPECT_EQ(SoundState.DirectSoundObject != nullptr, c.started);
    EXPECT_EQ(SoundState.PrimaryBuffer != nullptr, c.primary);
    EXPECT_EQ(SoundState.SilentBuffer != nullptr, c.silent);
    EXPECT_EQ(Logged("最大サンプリングレート"), c.report);
    EXPECT_EQ(EngineState.LogIndent, 0);
    if (!c.started) {
      EXPECT_EQ(fake::LiveSoundObjects(), 0) << "a failed start releases what it made";
      EXPECT_EQ(fake::OpenedAudio().rate, 0u);
      fake::ClearDebugOutput();
      EXPECT_EQ(EndSound(), -1);
      EXPECT_EQ(Log(), "");
    } else {
      EXPECT_EQ(EndSound(), 0);
    }
    EXPECT_EQ(fake::LiveSoundObjects(), 0);
  }
}

TEST_F(SoundTest, PrimaryFormatRefusedKeepsTheDeviceFormat) {
  fake::SetFailure(fake::Failure::PrimarySoundFormat, true);
  ASSERT_EQ(StartSound(), 0);
  EXPECT_EQ(fake::OpenedAudio().rate, 48000u);
  EXPECT_EQ(fake::OpenedAudio().opens, 1);
  EXPECT_EQ(fake::PullAudio(10), std::vector<std::uint8_t>(40, 0)) << "the silent buffer still plays";
}

TEST_F(SoundTest, TheSilentBufferLoopsAndKeepsTheOutputFed) {
  ASSERT_EQ(StartSound(), 0);
  DWORD status = 0;
  ASSERT_EQ(SoundState.SilentBuffer->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  // Far more than the buffer's 100 frames: it wraps many times and stays silent.
  const std::vector<std::uint8_t> played = fake::PullAudio(44100 + 50);
  ASSERT_EQ(played.size(), (44100u + 50u) * 4u);
  EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](std::uint8_t b) { return b == 0; }));
  DWORD play = 0;
  ASSERT_EQ(SoundState.SilentBuffer->GetCurrentPosition(&play, nullptr), DS_OK);
  EXPECT_EQ(play, 50u * 4u) << "44150 frames from the start of a 100-frame loop";
  ASSERT_EQ(SoundState.SilentBuffer->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

// The silence heard is the silent buffer's, not the absence of anything: a buffer with sound in
// it is heard through the same mixer, at the output's rate, and stops at its end unless looping.
TEST_F(SoundTest, BuffersAreMixedIntoTheOutput) {
  ASSERT_EQ(StartSound(), 0);
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC description{};
  description.dwSize = sizeof description;
  description.dwBufferBytes = 8;  // four mono samples
  description.lpwfxFormat = &format;
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(SoundState.DirectSoundObject->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  // Locked from the middle: the range wraps round to the start.
  ASSERT_EQ(buffer->Lock(4, 8, &part1, &bytes1, &part2, &bytes2, 0), DS_OK);
  ASSERT_EQ(bytes1, 4u);
  ASSERT_EQ(bytes2, 4u);
  const std::int16_t tail[] = {300, -400}, head[] = {100, -200};
  std::memcpy(part1, tail, 4);
  std::memcpy(part2, head, 4);
  ASSERT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), DS_OK);
  ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);

  const std::vector<std::uint8_t> played = fake::PullAudio(10);
  std::vector<std::int16_t> samples(played.size() / 2);
  std::memcpy(samples.data(), played.data(), played.size());
  // 22050 Hz doubled to 44100, mono copied to both channels, then silence once it ended.
  const std::vector<std::int16_t> expected = {100, 100, 100,  100,  -200, -200, -200, -200, 300, 300,
                                              300, 300, -400, -400, -400, -400, 0,    0,    0,   0};
  EXPECT_EQ(samples, expected);
  DWORD status = 1;
  ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u) << "a buffer played once stops at its end";
  buffer->Release();
}

class SoundEngineTest : public EngineFixture {};

TEST_F(SoundEngineTest, TheEngineStartsWithoutASoundDevice) {
  test_support::TempDirectory dir;
  fake::AudioDevice none;
  none.present = false;
  fake::SetAudioDevice(none);
  Start();
  EXPECT_EQ(SoundState.DirectSoundObject, nullptr);
  EXPECT_EQ(EngineState.Initialised, 1);
  EXPECT_EQ(EndEngine(), 0);
  const std::string log = test_support::ReadFile(dir.path() / "Log.txt");
  EXPECT_NE(log.find(Sjis("初期化に失敗しました")), std::string::npos);
  EXPECT_EQ(log.find(Sjis("DirectSound の終了処理")), std::string::npos) << "no sound, nothing to end";
  EXPECT_EQ(fake::LiveSoundObjects(), 0);
}

TEST_F(SoundEngineTest, SilenceLoopsFromStartToEnd) {
  Start();
  ASSERT_NE(SoundState.SilentBuffer, nullptr);
  EXPECT_EQ(fake::OpenedAudio().rate, 44100u);
  EXPECT_EQ(fake::PullAudio(300), std::vector<std::uint8_t>(1200, 0));
  EXPECT_EQ(EndEngine(), 0);
  EXPECT_EQ(fake::OpenedAudio().rate, 0u);
  EXPECT_EQ(fake::LiveSoundObjects(), 0);
  EXPECT_EQ(SoundState.DirectSoundObject, nullptr);
}

}  // namespace
