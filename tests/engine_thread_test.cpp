// The engine belongs to the thread that started it: while it runs, every public call from another
// thread is refused with its failure value and a log line, and changes nothing. Before InitEngine
// and after EndEngine any thread may call.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "core/tracked_memory.h"
#include "graphics/draw_state.h"
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
  int x = 0, y = 0, size = 0;
  std::int32_t lost = 0;
  char face[256];
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
      {"DumpAllocations", [] { DumpAllocations(); return -1; }, -1},
  };

  const int blendMode = DrawState.blendMode;
  const int liveBlocks = LiveBlockCount();
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
