// The small calls a game loop reaches for: the last error, FatalError's line on standard error,
// running while inactive, the cursor, the window's activity, the desktop and screen sizes and
// seeding the random generator.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/last_error.h"
#include "engine_fixture.h"
#include "support/sound_bytes.h"
#include "test_support.h"

namespace {

class SmallCallsTest : public EngineFixture {};

TEST_F(SmallCallsTest, EveryFailingCallLeavesASentenceNamingItselfAndSuccessKeepsIt) {
  EXPECT_EQ(ApplyCursorVisibility(FALSE), -1) << "no window yet";
  EXPECT_NE(std::string(GetLastErrorText()).find("ApplyCursorVisibility"), std::string::npos);
  test_support::TempDirectory directory;
  Start();
  struct Case {
    const char* call;
    std::function<int()> run;
  };
  const int bad = 0x12345;
  const int graphic = CreateEmptyGraphic(4, 4);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(SaveGraphicPng(graphic, "sheet.png"), 0);
  const std::string notes = "not an image, a sound or music at all";
  sound_bytes::WriteFile("notes.png", sound_bytes::Bytes(notes.begin(), notes.end()));
  const std::uint32_t pixels[4] = {};
  const sound_bytes::Bytes wave =
      sound_bytes::Wave(1, 1, 8000, 16, sound_bytes::Pcm(sound_bytes::Sine(800, 8000, 400, 0.5), 16));
  const int sound = LoadSoundFromMemory(wave.data(), static_cast<int>(wave.size()));
  ASSERT_NE(sound, -1);
  int cells[4];
  const std::vector<Case> cases = {
      {"SetWindowTitle", [] { return SetWindowTitle(nullptr); }},
      {"SetScreenMode", [] { return SetScreenMode(0, 600, 32, 60); }},
      {"SetScreenMode", [] { return SetScreenMode(800, 600, 24, 60); }},
      {"SelectDrawTarget", [=] { return SelectDrawTarget(bad); }},
      {"CreateEmptyGraphic", [] { return CreateEmptyGraphic(0, 10); }},
      {"CreateDerivedGraphic", [=] { return CreateDerivedGraphic(0, 0, 1, 1, bad); }},
      {"ReleaseGraphic", [=] { return ReleaseGraphic(bad); }},
      {"GetGraphicSize", [=] { return GetGraphicSize(bad, nullptr, nullptr); }},
      {"DrawGraphAt", [=] { return DrawGraphAt(0, 0, bad, TRUE); }},
      {"DrawGraphStretched", [=] { return DrawGraphStretched(0, 0, 5, 5, bad, TRUE); }},
      {"DrawGraphRect", [=] { return DrawGraphRect(0, 0, 0, 0, 1, 1, bad, TRUE, FALSE); }},
      {"DrawGraphRectStretched", [=] { return DrawGraphRectStretched(0, 0, 5, 5, 0, 0, 1, 1, bad, TRUE); }},
      {"CreateFontToHandle", [] { return CreateFontToHandle(nullptr, 10000, -1, -1, -1, -1, 0, -1, -1); }},
      {"ReleaseFontHandle", [=] { return ReleaseFontHandle(bad); }},
      {"QueryFontFace", [=] { return QueryFontFace(nullptr, nullptr, nullptr, bad); }},
      {"QueryFontSize", [=] { return QueryFontSize(bad); }},
      {"SetFontSpacing", [=] { return SetFontSpacing(1, bad); }},
      {"SetFontLostNotifier", [=] { return SetFontLostNotifier(bad, nullptr); }},
      {"SetDefaultFontSize", [] { return SetDefaultFontSize(10000, -1); }},
      {"DrawText", [=] { return DrawTextWithFont(0, 0, "a", 0, bad, 0); }},
      {"GetTextWidthWithFont", [=] { return GetTextWidthWithFont("a", -1, bad); }},
      {"CountKeyPresses", [] { return CountKeyPresses(300); }},
      {"GetPadDeadZone", [] { return GetPadDeadZone(0); }},
      {"SetWindowScale", [] { return SetWindowScale(0.0); }},
      {"SetWindowScale", [] { return SetWindowScale(16.5); }},
      {"SetDrawSampling", [] { return SetDrawSampling(2); }},
      {"DrawGraphRotated", [=] { return DrawGraphRotated(0, 0, 1.0, 0.0, bad, TRUE); }},
      {"DrawGraphRotated", [=] { return DrawGraphRotated(0, 0, std::nan(""), 0.0, graphic, TRUE); }},
      {"DrawGraphFourCorners", [=] { return DrawGraphFourCorners(0, 0, 4, 0, 4, 4, 0, 4, bad, TRUE); }},
      // Image files and pixels: the sentence says which file and why.
      {"LoadGraphic", [] { return LoadGraphic(nullptr); }},
      {"LoadGraphic", [] { return LoadGraphic("missing.png"); }},
      {"LoadGraphic", [] { return LoadGraphic("notes.png"); }},
      {"LoadGraphicFromMemory", [] { return LoadGraphicFromMemory(nullptr, 10); }},
      {"LoadGraphicFromMemory", [] { return LoadGraphicFromMemory("BM garbage", 10); }},
      {"LoadSplitGraphic", [] { return LoadSplitGraphic("sheet.png", 4, 2, 2, 2, 2, nullptr); }},
      {"LoadSplitGraphic", [&] { return LoadSplitGraphic("sheet.png", 0, 2, 2, 2, 2, cells); }},
      {"LoadSplitGraphic", [&] { return LoadSplitGraphic("sheet.png", 4, 1, 2, 2, 2, cells); }},
      {"LoadSplitGraphic", [&] { return LoadSplitGraphic("sheet.png", 4, 2, 2, 3, 2, cells); }},
      {"LoadSplitGraphic", [&] { return LoadSplitGraphic("missing.png", 4, 2, 2, 2, 2, cells); }},
      {"CreateGraphicFromPixels", [] { return CreateGraphicFromPixels(2, 2, nullptr, TRUE); }},
      {"CreateGraphicFromPixels", [&] { return CreateGraphicFromPixels(0, 2, pixels, TRUE); }},
      {"CreateGraphicFromPixels", [&] { return CreateGraphicFromPixels(20000, 1, pixels, TRUE); }},
      {"ReplaceGraphicPixels", [&] { return ReplaceGraphicPixels(bad, pixels); }},
      {"ReplaceGraphicPixels", [=] { return ReplaceGraphicPixels(graphic, nullptr); }},
      {"ReadPixel", [=] { return ReadPixel(bad, 0, 0, nullptr, nullptr, nullptr, nullptr); }},
      {"ReadPixel", [=] { return ReadPixel(graphic, 4, 0, nullptr, nullptr, nullptr, nullptr); }},
      {"SaveScreenPng", [] { return SaveScreenPng(nullptr); }},
      {"SaveScreenPng", [] { return SaveScreenPng("no/such/folder/shot.png"); }},
      {"SaveGraphicPng", [=] { return SaveGraphicPng(bad, "shot.png"); }},
      // Sounds, voices and music.
      {"LoadSound", [] { return LoadSound(nullptr); }},
      {"LoadSound", [] { return LoadSound("missing.wav"); }},
      {"LoadSound", [] { return LoadSound("notes.png"); }},
      {"LoadSoundFromMemory", [] { return LoadSoundFromMemory(nullptr, 0); }},
      {"ReleaseSound", [=] { return ReleaseSound(bad); }},
      {"GetSoundFrames", [=] { return GetSoundFrames(bad); }},
      {"GetSoundRate", [=] { return GetSoundRate(bad); }},
      {"GetSoundChannels", [=] { return GetSoundChannels(bad); }},
      {"GetSoundLength", [=] { return GetSoundLength(bad); }},
      {"SetSoundLoopPoint", [=] { return SetSoundLoopPoint(sound, 800); }},
      {"PlaySoundHandle", [=] { return PlaySoundHandle(sound, 2); }},
      {"StopSoundHandle", [=] { return StopSoundHandle(bad); }},
      {"IsSoundHandlePlaying", [=] { return IsSoundHandlePlaying(bad); }},
      {"SetSoundVolume", [=] { return SetSoundVolume(sound, 1001); }},
      {"SetSoundPan", [=] { return SetSoundPan(sound, -1001); }},
      {"SetSoundFrequency", [=] { return SetSoundFrequency(sound, 99); }},
      {"StopVoice", [=] { return StopVoice(bad); }},
      {"IsVoicePlaying", [=] { return IsVoicePlaying(bad); }},
      {"SetVoiceVolume", [=] { return SetVoiceVolume(bad, 10); }},
      {"SetVoicePan", [=] { return SetVoicePan(bad, 10); }},
      {"SetVoiceFrequency", [=] { return SetVoiceFrequency(bad, 22050); }},
      {"SetMasterVolume", [] { return SetMasterVolume(-1); }},
      {"SetMusicVolume", [] { return SetMusicVolume(1001); }},
      {"PlayMusic", [] { return PlayMusic("music.ogg", 3, 0, 0); }},
      {"PlayMusic", [] { return PlayMusic("missing.ogg", PlayOnce, 0, 0); }},
      {"PlayMusic", [] { return PlayMusic("notes.png", PlayOnce, 0, 0); }},
      {"FadeOutMusic", [] { return FadeOutMusic(100); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    ClearLastErrorText();  // a sentence left by an earlier case cannot pass for this one's
    EXPECT_EQ(c.run(), -1);
    const std::string text = GetLastErrorText();
    EXPECT_EQ(text.find(c.call), 0u) << text;
    EXPECT_GT(text.size(), std::string(c.call).size() + 10) << "it says why";
  }
  // Handles are all -1 after a failed split, and nothing is left behind.
  for (int cell : cells) EXPECT_EQ(cell, -1);
  const std::string last = GetLastErrorText();
  EXPECT_EQ(SetClipArea(0, 0, 10, 10), 0);
  EXPECT_EQ(GetLastErrorText(), last) << "a success leaves the last failure";
}

TEST_F(SmallCallsTest, InitEngineSaysWhyItFailed) {
  struct Case {
    const char* name;
    std::function<void()> spoil;
    const char* says;
  };
  const Case cases[] = {
      {"second copy", [] { fake::SetAnotherInstance(true); }, "another copy"},
      {"24-bit desktop", [] { fake::SetDesktopDepth(24); }, "24 bits"},
      {"no window", [] { fake::SetFailure(fake::Failure::CreateWindow, true); }, "window could not be made"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    ChangeWindowMode(TRUE);
    c.spoil();
    EXPECT_EQ(InitEngine(), -1);
    EXPECT_NE(std::string(GetLastErrorText()).find(c.says), std::string::npos) << GetLastErrorText();
    EndEngine();
  }
}

TEST_F(SmallCallsTest, FatalErrorWritesOneEnglishLineWithTheLogOff) {
  struct Case {
    const char* message;
    const char* line;
  };
  const Case cases[] = {
      {"\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68\x83\x66\x83\x6f\x83\x43\x83\x58\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e"
       "\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd",
       "vornek: fatal error: the keyboard could not be opened; the program ends\n"},
      {"the level file is damaged\n", "vornek: fatal error: the level file is damaged ; the program ends\n"},
      {"\x82\xa0", "vornek: fatal error: the engine met a condition it cannot recover from; the program ends\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EXIT(
        {
          SetLogOutputFlag(FALSE);
          InitEngine();
          FatalError(c.message);
        },
        ::testing::ExitedWithCode(255), std::string("^") + c.line + "$");
  }
}

TEST_F(SmallCallsTest, RunningWhileInactiveLetsThePumpAndTheDrawingGoOn) {
  Start();
  EXPECT_EQ(IsWindowActive(), 1);
  SetRunWhileInactive(TRUE);
  fake::Send(Simple(fake::EventKind::Deactivate));
  EXPECT_EQ(PumpMessages(), 0) << "returns while another window is in front";
  EXPECT_EQ(IsWindowActive(), 0);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(DrawLine(0, 0, 10, 10, -1, 1), 0);
  EXPECT_EQ(PresentScreen(), 0);
  fake::Send(Key(true, KeyA));
  fake::AdvanceClock(1);
  EXPECT_EQ(IsKeyDown(KeyA), 1);
  // Switched off, the pause holds the program until its window is active again.
  SetRunWhileInactive(FALSE);
  fake::Schedule(fake::CurrentPass() + 3, Simple(fake::EventKind::Activate));
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(IsWindowActive(), 1);
  EndEngine();
  EXPECT_EQ(IsWindowActive(), 0);
}

TEST_F(SmallCallsTest, CursorDesktopScreenAndSeed) {
  EXPECT_EQ(GetScreenSize(nullptr, nullptr, nullptr), 0);
  GraphicsState = GraphicsStateRecord{};
  int width = 0, height = 0, depth = 0;
  GetScreenSize(&width, &height, &depth);
  EXPECT_EQ(width * 10000 + height * 10 + depth / 8, 640 * 10000 + 480 * 10 + 2) << "640 x 480 x 16 unless set";
  fake::SetDesktopSize(1920, 1080);
  GetDesktopSize(&width, &height);
  EXPECT_EQ(width, 1920);
  EXPECT_EQ(height, 1080);

  SetScreenMode(800, 600, 32, 60);
  Start();
  GetScreenSize(&width, &height, &depth);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_EQ(depth, 32);

  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_TRUE(fake::CursorVisible()) << "shown in a window";
  EXPECT_EQ(ApplyCursorVisibility(FALSE), 0);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_FALSE(fake::CursorVisible());
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_FALSE(fake::CursorVisible()) << "stays hidden";
  EXPECT_EQ(ApplyCursorVisibility(TRUE), 0);
  // The arrow comes back as the pointer next moves over the window.
  const RECT client = EngineState.ClientRectOnScreen;
  fake::Send({fake::EventKind::MouseMove, client.left + 5, client.top + 5});
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_TRUE(fake::CursorVisible());

  SeedRandom(20240611);
  std::vector<int> first;
  for (int i = 0; i < 700; ++i) first.push_back(GetRandom(1000000));
  SeedRandom(20240611);
  for (int i = 0; i < 700; ++i) ASSERT_EQ(GetRandom(1000000), first[static_cast<std::size_t>(i)]) << i;
}

TEST_F(SmallCallsTest, AProgramsUtf8LogLinesAreWrittenInShiftJis) {
  ASSERT_EQ(SetUseUtf8Text(TRUE), 0);
  Start();
  LogText("caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\n");
  LogFormat("%s=%d", "\xe7\x82\xb9", 7);
  const std::string& log = fake::DebugOutput();
  EXPECT_NE(log.find("caf? \x93\xfa\x96\x7b\r\n"), std::string::npos) << "no e-acute in Shift-JIS";
  EXPECT_NE(log.find("\x93\x5f=7\r\n"), std::string::npos);
  // The engine's own lines stay as they are.
  EXPECT_NE(log.find(test_support::Sjis("フォントの初期化を行います")), std::string::npos);
}

}  // namespace
