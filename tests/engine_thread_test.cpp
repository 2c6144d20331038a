// The engine belongs to the thread that started it: while it runs, every public call from another
// thread is refused with its failure value and a log line, and changes nothing. Before InitEngine
// and after EndEngine any thread may call.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "core/tracked_memory.h"
#include "graphics/draw_state.h"
#include "support/sound_bytes.h"
#include "test_support.h"

namespace {

// Runs the call on a thread of its own and returns its result.
int OnOtherThread(const std::function<int()>& call) {
  int result = 12345;
  std::thread other([&] { result = call(); });
  other.join();
  return result;
}

class EngineThreadTest : public EngineFixture {
 protected:
  test_support::TempDirectory directory_;  // the log goes here
};

struct ForeignCall {
  const char* name;
  std::function<int()> call;
  int refused;  // the call's failure value
};

TEST_F(EngineThreadTest, EveryCallFromAnotherThreadIsRefusedWithALogLine) {
  Start();
  const int graphic = CreateEmptyGraphic(8, 8);
  ASSERT_NE(graphic, -1);
  const int font = QueryDefaultFont();
  ASSERT_NE(font, -1);
  int x = 0, y = 0, size = 0, channel = 0;
  std::int32_t lost = 0;
  char face[256];
  const std::uint32_t pixels[4] = {0xFF112233u, 0xFF445566u, 0x80778899u, 0u};
  const sound_bytes::Bytes wave =
      sound_bytes::Wave(1, 1, 44100, 16, sound_bytes::Pcm(sound_bytes::Sine(44100, 44100, 441, 0.5), 16));
  const sound_bytes::Bytes ogg = sound_bytes::Vorbis(sound_bytes::Sine(44100, 44100, 330, 0.3), 1, 44100);
  sound_bytes::WriteFile("tone.wav", wave);
  sound_bytes::WriteFile("music.ogg", ogg);
  const int pictured = CreateGraphicFromPixels(2, 2, pixels, TRUE);
  ASSERT_NE(pictured, -1);
  ASSERT_EQ(SaveGraphicPng(pictured, "sprite.png"), 0);
  const std::string png = test_support::ReadFile("sprite.png");
  const int sound = LoadSoundFromMemory(wave.data(), static_cast<int>(wave.size()));
  ASSERT_NE(sound, -1);
  const int voice = PlaySoundHandle(sound, PlayLoop);
  ASSERT_GE(voice, 0);
  ASSERT_EQ(PlayMusic("music.ogg", PlayLoop, 0, 0), 0);
  const std::vector<ForeignCall> calls = {
      {"InitEngine", [] { return InitEngine(); }, -1},
      {"EndEngine", [] { return EndEngine(); }, -1},
      {"PumpMessages", [] { return PumpMessages(); }, -1},
      {"SetWindowTitle", [] { return SetWindowTitle("other"); }, -1},
      {"SetLogOutputFlag", [] { return SetLogOutputFlag(FALSE); }, -1},
      {"ChangeWindowMode", [] { return ChangeWindowMode(FALSE); }, -1},
      {"SetScreenMode", [] { return SetScreenMode(640, 480, 16, 60); }, -1},
      {"SetVSyncWait", [] { return SetVSyncWait(FALSE); }, -1},
      {"GetVSyncWait", [] { return GetVSyncWait(); }, -1},
      {"SelectDrawTarget", [] { return SelectDrawTarget(ScreenBack); }, -1},
      {"GetDrawTarget", [] { return GetDrawTarget(); }, -1},
      {"SetClipArea", [] { return SetClipArea(0, 0, 10, 10); }, -1},
      {"SetBlendMode", [] { return SetBlendMode(BlendModeAdd, 128); }, -1},
      {"SetTint", [] { return SetTint(1, 2, 3); }, -1},
      {"DrawLine", [] { return DrawLine(0, 0, 100, 100, 0xFFFFFF, 1); }, -1},
      {"DrawCircle", [] { return DrawCircle(50, 50, 20, 0xFFFFFF, TRUE); }, -1},
      {"IsGraphicHandleValid", [&] { return IsGraphicHandleValid(graphic); }, 0},
      {"CreateEmptyGraphic", [] { return CreateEmptyGraphic(4, 4); }, -1},
      {"CreateDerivedGraphic", [&] { return CreateDerivedGraphic(0, 0, 2, 2, graphic); }, -1},
      {"GetGraphicSize", [&] { return GetGraphicSize(graphic, &x, &y); }, -1},
      {"DrawGraphAt", [&] { return DrawGraphAt(0, 0, graphic, TRUE); }, -1},
      {"DrawGraphStretched", [&] { return DrawGraphStretched(0, 0, 20, 20, graphic, TRUE); }, -1},
      {"DrawGraphRect", [&] { return DrawGraphRect(0, 0, 0, 0, 4, 4, graphic, TRUE, FALSE); }, -1},
      {"DrawGraphRectStretched", [&] { return DrawGraphRectStretched(0, 0, 9, 9, 0, 0, 4, 4, graphic, TRUE); }, -1},
      {"SetCreateBitDepth", [] { return SetCreateBitDepth(16); }, -1},
      {"GetCreateBitDepth", [] { return GetCreateBitDepth(); }, -1},
      {"SetCreateAlphaChannel", [] { return SetCreateAlphaChannel(TRUE); }, -1},
      {"GetCreateAlphaChannel", [] { return GetCreateAlphaChannel(); }, -1},
      {"SetCreateAlphaTest", [] { return SetCreateAlphaTest(FALSE); }, -1},
      {"GetCreateAlphaTest", [] { return GetCreateAlphaTest(); }, -1},
      {"SetCreateDrawTarget", [] { return SetCreateDrawTarget(TRUE); }, -1},
      {"GetCreateDrawTarget", [] { return GetCreateDrawTarget(); }, -1},
      {"ReleaseGraphic", [&] { return ReleaseGraphic(graphic); }, -1},
      {"ClearScreen", [] { return ClearScreen(); }, -1},
      {"PresentScreen", [] { return PresentScreen(); }, -1},
      {"SetClearColor", [] { return SetClearColor(9, 9, 9); }, -1},
      {"DrawText", [] { return DrawText(0, 0, "text", 0xFFFFFF, 0); }, -1},
      {"DrawTextFormat", [] { return DrawTextFormat(0, 0, 0xFFFFFF, "%d", 1); }, -1},
      {"DrawTextWithFont", [&] { return DrawTextWithFont(0, 0, "text", 0xFFFFFF, font, 0); }, -1},
      {"CreateFontToHandle", [] { return CreateFontToHandle(nullptr, 20, -1, -1, -1, -1, 0, -1, -1); }, -1},
      {"ReleaseFontHandle", [&] { return ReleaseFontHandle(font); }, -1},
      {"QueryFontFace", [&] { return QueryFontFace(face, &size, nullptr, font); }, -1},
      {"QueryFontSize", [&] { return QueryFontSize(font); }, -1},
      {"IsFontHandleValid", [&] { return IsFontHandleValid(font); }, 0},
      {"SetFontSpacing", [&] { return SetFontSpacing(3, font); }, -1},
      {"SetFontLostNotifier", [&] { return SetFontLostNotifier(font, &lost); }, -1},
      {"QueryDefaultFont", [] { return QueryDefaultFont(); }, -1},
      {"SetDefaultFontSize", [] { return SetDefaultFontSize(30, -1); }, -1},
      {"IsKeyDown", [] { return IsKeyDown(KeyEscape); }, 0},
      {"GetCursorPosition", [&] { return GetCursorPosition(&x, &y); }, -1},
      {"GetMouseButtons", [] { return GetMouseButtons(); }, 0},
      {"GetRandom", [] { return GetRandom(100); }, -1},
      {"LogText", [] { return LogText("from another thread\n"); }, -1},
      {"LogFormat", [] { return LogFormat("%s", "from another thread"); }, -1},
      {"LogIndentIn", [] { return LogIndentIn(); }, -1},
      {"LogIndentOut", [] { return LogIndentOut(); }, -1},
      {"CheckAllocations", [] { return CheckAllocations(); }, -1},
      {"DumpAllocations",
       [] {
         DumpAllocations();
         return -1;
       },
       -1},
      // Window, screen and settings.
      {"SetRunWhileInactive", [] { return SetRunWhileInactive(TRUE); }, -1},
      {"SetUseUtf8Text", [] { return SetUseUtf8Text(TRUE); }, -1},
      {"GetUseUtf8Text", [] { return GetUseUtf8Text(); }, -1},
      {"ApplyCursorVisibility", [] { return ApplyCursorVisibility(FALSE); }, -1},
      {"IsWindowActive", [] { return IsWindowActive(); }, 0},
      {"GetDesktopSize", [&] { return GetDesktopSize(&x, &y); }, -1},
      {"GetScreenSize", [&] { return GetScreenSize(&x, &y, &size); }, -1},
      {"SetWindowScale", [] { return SetWindowScale(2.0); }, -1},
      {"GetWindowScale", [] { return GetWindowScale() == -1.0 ? -1 : 0; }, -1},
      {"SetFullScreenKey", [] { return SetFullScreenKey(FALSE); }, -1},
      {"GetLastErrorText", [] { return std::string(GetLastErrorText()).find("thread") != std::string::npos ? -1 : 0; },
       -1},
      {"SeedRandom",
       [] {
         SeedRandom(7);
         return -1;
       },
       -1},
      // Shapes, rotation, images and pixels.
      {"DrawBox", [] { return DrawBox(0, 0, 10, 10, 0xFFFFFF, TRUE); }, -1},
      {"DrawTriangle", [] { return DrawTriangle(0, 0, 10, 0, 0, 10, 0xFFFFFF, TRUE); }, -1},
      {"DrawQuadrilateral", [] { return DrawQuadrilateral(0, 0, 10, 0, 10, 10, 0, 10, 0xFFFFFF, FALSE); }, -1},
      {"DrawOval", [] { return DrawOval(20, 20, 5, 3, 0xFFFFFF, TRUE); }, -1},
      {"SetDrawSampling", [] { return SetDrawSampling(SamplingBilinear); }, -1},
      {"GetDrawSampling", [] { return GetDrawSampling(); }, -1},
      {"DrawGraphRotated", [&] { return DrawGraphRotated(20, 20, 1.0, 0.5, graphic, TRUE); }, -1},
      {"DrawGraphFourCorners", [&] { return DrawGraphFourCorners(0, 0, 9, 0, 9, 9, 0, 9, graphic, TRUE); }, -1},
      {"LoadGraphic", [] { return LoadGraphic("sprite.png"); }, -1},
      {"LoadGraphicFromMemory", [&] { return LoadGraphicFromMemory(png.data(), static_cast<int>(png.size())); }, -1},
      {"LoadSplitGraphic",
       [] {
         int cells[2];
         return LoadSplitGraphic("sprite.png", 2, 2, 1, 1, 1, cells);
       },
       -1},
      {"CreateGraphicFromPixels", [&] { return CreateGraphicFromPixels(2, 2, pixels, TRUE); }, -1},
      {"ReplaceGraphicPixels", [&] { return ReplaceGraphicPixels(pictured, pixels); }, -1},
      {"SetTransparentColor", [] { return SetTransparentColor(255, 0, 255); }, -1},
      {"GetTransparentColor", [&] { return GetTransparentColor(&x, &y, &size); }, -1},
      {"ReadPixel", [&] { return ReadPixel(pictured, 0, 0, &x, &y, &size, &channel); }, -1},
      {"SaveScreenPng", [] { return SaveScreenPng("shot.png"); }, -1},
      {"SaveGraphicPng", [&] { return SaveGraphicPng(pictured, "shot.png"); }, -1},
      // Text measurement.
      {"GetTextWidth", [] { return GetTextWidth("text", -1); }, -1},
      {"GetTextWidthFormat", [] { return GetTextWidthFormat("%d", 12); }, -1},
      {"GetTextWidthWithFont", [&] { return GetTextWidthWithFont("text", -1, font); }, -1},
      {"GetFontHeight", [&] { return GetFontHeight(font); }, -1},
      {"GetFontLineSpacing", [&] { return GetFontLineSpacing(font); }, -1},
      // Key, mouse and pad edges and pads.
      {"CountKeyPresses", [] { return CountKeyPresses(KeyA); }, -1},
      {"CountKeyReleases", [] { return CountKeyReleases(KeyA); }, -1},
      {"CountMouseButtonPresses", [] { return CountMouseButtonPresses(MouseButtonLeft); }, -1},
      {"CountMouseButtonReleases", [] { return CountMouseButtonReleases(MouseButtonLeft); }, -1},
      {"GetMouseWheelRotation", [] { return GetMouseWheelRotation(); }, 0},
      {"GetPadCount", [] { return GetPadCount(); }, -1},
      {"GetPadInputs", [] { return static_cast<int>(GetPadInputs(0)); }, 0},
      {"GetPadAnalogInput", [&] { return GetPadAnalogInput(0, &x, &y); }, -1},
      {"GetPadPointOfView", [] { return GetPadPointOfView(0, 0); }, -1},
      {"CountPadPresses", [] { return CountPadPresses(0, PadInputLeft); }, -1},
      {"CountPadReleases", [] { return CountPadReleases(0, PadInputLeft); }, -1},
      {"SetPadKeys", [] { return SetPadKeys(0, PadInputLeft, KeyJ, -1); }, -1},
      {"GetPadKeys", [&] { return GetPadKeys(0, PadInputLeft, &x, &y); }, -1},
      {"SetPadDeadZone", [] { return SetPadDeadZone(0, 100); }, -1},
      {"GetPadDeadZone", [] { return GetPadDeadZone(0); }, -1},
      {"StartPadVibration", [] { return StartPadVibration(0, 500, -1); }, -1},
      {"StopPadVibration", [] { return StopPadVibration(0); }, -1},
      {"GetPadVibrationPower", [] { return GetPadVibrationPower(0); }, -1},
      // Sound and music.
      {"LoadSound", [] { return LoadSound("tone.wav"); }, -1},
      {"LoadSoundFromMemory", [&] { return LoadSoundFromMemory(wave.data(), static_cast<int>(wave.size())); }, -1},
      {"GetSoundFrames", [&] { return GetSoundFrames(sound); }, -1},
      {"GetSoundRate", [&] { return GetSoundRate(sound); }, -1},
      {"GetSoundChannels", [&] { return GetSoundChannels(sound); }, -1},
      {"GetSoundLength", [&] { return GetSoundLength(sound); }, -1},
      {"SetSoundLoopPoint", [&] { return SetSoundLoopPoint(sound, 10); }, -1},
      {"PlaySoundHandle", [&] { return PlaySoundHandle(sound, PlayOnce); }, -1},
      {"IsSoundHandlePlaying", [&] { return IsSoundHandlePlaying(sound); }, -1},
      {"SetSoundVolume", [&] { return SetSoundVolume(sound, 10); }, -1},
      {"SetSoundPan", [&] { return SetSoundPan(sound, 10); }, -1},
      {"SetSoundFrequency", [&] { return SetSoundFrequency(sound, 22050); }, -1},
      {"IsVoicePlaying", [&] { return IsVoicePlaying(voice); }, -1},
      {"SetVoiceVolume", [&] { return SetVoiceVolume(voice, 10); }, -1},
      {"SetVoicePan", [&] { return SetVoicePan(voice, 10); }, -1},
      {"SetVoiceFrequency", [&] { return SetVoiceFrequency(voice, 22050); }, -1},
      {"StopVoice", [&] { return StopVoice(voice); }, -1},
      {"StopSoundHandle", [&] { return StopSoundHandle(sound); }, -1},
      {"SetMasterVolume", [] { return SetMasterVolume(10); }, -1},
      {"GetMasterVolume", [] { return GetMasterVolume(); }, -1},
      {"SetSoundPlayWhileInactive", [] { return SetSoundPlayWhileInactive(TRUE); }, -1},
      {"IsMusicPlaying", [] { return IsMusicPlaying(); }, 0},
      {"SetMusicVolume", [] { return SetMusicVolume(10); }, -1},
      {"FadeOutMusic", [] { return FadeOutMusic(0); }, -1},
      {"PlayMusic", [] { return PlayMusic("music.ogg", PlayOnce, 0, 0); }, -1},
      {"StopMusic", [] { return StopMusic(); }, -1},
      {"ReleaseSound", [&] { return ReleaseSound(sound); }, -1},
      {"ReleaseAllSounds", [] { return ReleaseAllSounds(); }, -1},
  };

  const int blendMode = DrawState.blendMode;
  const int liveBlocks = LiveBlockCount();
  const std::string lastError = GetLastErrorText();
  for (const ForeignCall& c : calls) {
    fake::ClearDebugOutput();
    EXPECT_EQ(OnOtherThread(c.call), c.refused) << c.name;
    EXPECT_NE(fake::DebugOutput().find(std::string(c.name) + " "), std::string::npos)
        << c.name << ": no log line, got " << fake::DebugOutput();
  }

  // Nothing moved: the engine runs on, with the same graphic, font, state and blocks.
  EXPECT_EQ(EngineState.Initialised, 1);
  EXPECT_EQ(IsGraphicHandleValid(graphic), 1);
  EXPECT_EQ(IsFontHandleValid(font), 1);
  EXPECT_EQ(DrawState.blendMode, blendMode);
  EXPECT_EQ(GetCreateDrawTarget(), FALSE);
  EXPECT_EQ(EngineState.LogDisabled, 0);
  EXPECT_EQ(LiveBlockCount(), liveBlocks);
  EXPECT_EQ(GetLastErrorText(), lastError) << "a refusal leaves the engine thread's sentence alone";
  EXPECT_EQ(GetDrawSampling(), SamplingNearest);
  EXPECT_EQ(GetWindowScale(), 1.0);
  EXPECT_EQ(EngineState.FullScreenKeyOff, 0);
  EXPECT_EQ(EngineState.RunWhileInactive, 0);
  int red = 0, green = 0, blue = 0;
  EXPECT_EQ(GetTransparentColor(&red, &green, &blue), 0);
  EXPECT_EQ(red + green + blue, 0);
  EXPECT_EQ(ReadPixel(pictured, 0, 0, &red, &green, &blue, nullptr), 0);
  EXPECT_EQ(red, 0x11) << "the pixels were not replaced";
  EXPECT_FALSE(std::filesystem::exists("shot.png")) << "nothing was saved";
  EXPECT_EQ(GetSoundRate(sound), 44100);
  EXPECT_EQ(IsVoicePlaying(voice), 1);
  EXPECT_EQ(IsMusicPlaying(), 1);
  EXPECT_EQ(GetMasterVolume(), 1000);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(DrawLine(0, 0, 10, 10, 0xFFFFFF, 1), 0);
  EXPECT_EQ(ReleaseGraphic(graphic), 0);
}

// The pure calls read nothing a running engine changes under them.
TEST_F(EngineThreadTest, ColoursAndCountersAnswerOnAnyThread) {
  Start();
  const std::uint32_t white = MakeColor(255, 255, 255);
  std::uint32_t seen = 0;
  int red = -1;
  std::thread other([&] {
    seen = MakeColor(255, 255, 255);
    int green = 0, blue = 0;
    SplitColor(white, &red, &green, &blue);
  });
  other.join();
  EXPECT_EQ(seen, white);
  EXPECT_EQ(red, 255);
}

TEST_F(EngineThreadTest, AnyThreadMaySetUpBeforeStartAndStartAfterAnEnd) {
  EXPECT_EQ(OnOtherThread([] { return SetWindowTitle("set elsewhere"); }), 0);
  EXPECT_STREQ(EngineState.WindowTitle, "set elsewhere");
  Start();
  EndEngine();
  fake::SetIdlePassTime(1);  // the other thread's start-up waits on the clock
  // The engine is free again: another thread starts it, and this one is then the stranger.
  std::atomic<int> step{0};
  int started = 1, ended = 1;
  std::thread owner([&] {
    started = InitEngine();
    step = 1;
    while (step != 2) std::this_thread::yield();
    ended = EndEngine();
  });
  while (step != 1) std::this_thread::yield();
  EXPECT_EQ(started, 0);
  EXPECT_EQ(DrawLine(0, 0, 5, 5, 0xFFFFFF, 1), -1);
  EXPECT_EQ(EndEngine(), -1);
  step = 2;
  owner.join();
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(EngineState.Initialised, 0);
}

// Two threads starting at once: one engine, one owner; the other is told no.
TEST_F(EngineThreadTest, TwoThreadsStartingAtOnceGetOneEngine) {
  std::atomic<bool> go{false};
  std::atomic<int> tried{0};
  int results[2] = {7, 7};
  int ended = 7;
  auto start = [&](int i) {
    while (!go) std::this_thread::yield();
    results[i] = InitEngine();
    ++tried;
    while (tried != 2) std::this_thread::yield();
    if (results[i] == 0) ended = EndEngine();
  };
  std::thread a(start, 0), b(start, 1);
  go = true;
  a.join();
  b.join();
  EXPECT_EQ(results[0] + results[1], -1) << results[0] << " and " << results[1];
  EXPECT_EQ(ended, 0);
}

}  // namespace
