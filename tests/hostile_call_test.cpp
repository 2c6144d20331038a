// Public calls with hostile arguments and in odd orders, each case on a fresh fake platform. A
// case must get the results the API promises, stay inside its memory, end and leave nothing
// behind: no tracked block, no GDI font, no window, no input device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "input/input_state.h"
#include "test_support.h"
#include "vornek.h"
#include "window/char_buffer.h"

namespace {

const char* runningCase = "";

// A case that hangs is a failure of its own: say which one, and end the process.
void OnWatchdog(int) {
  const char prefix[] = "\nhostile case hung: ";
  (void)!write(2, prefix, sizeof prefix - 1);
  (void)!write(2, runningCase, std::strlen(runningCase));
  (void)!write(2, "\n", 1);
  _exit(1);
}

struct HostileCase {
  const char* name;
  std::function<void()> calls;
};

constexpr int White = 0xFFFFFF;
// "Ab", a double-byte character and a full-width space, in Shift-JIS.
constexpr const char* MixedText = "Ab\x88\x9f\x81\x40.";

class HostileCalls : public ::testing::Test {
 protected:
  static void Fresh() {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    InputState = InputStateRecord{};
    StartCharBuffer();
    SetScreenMode(800, 600, 32, 60);
    ChangeWindowMode(TRUE);
  }

  // Starts the engine; the fake clock then stands still unless the test moves it.
  static void Start() {
    fake::SetIdlePassTime(1);
    ASSERT_EQ(InitEngine(), 0);
    fake::SetIdlePassTime(0);
  }

  void Run(const std::vector<HostileCase>& cases) {
    std::signal(SIGALRM, OnWatchdog);
    for (const HostileCase& c : cases) {
      SCOPED_TRACE(c.name);
      runningCase = c.name;
      Fresh();
      alarm(60);
      c.calls();
      EndEngine();
      alarm(0);
      EXPECT_EQ(LiveBlockCount(), 0) << "the memory report lists blocks";
      EXPECT_EQ(fake::LiveFonts(), 0) << "GDI fonts outlived the engine";
      EXPECT_EQ(fake::NativeWindowCount(), 0) << "the window outlived the engine";
      EXPECT_EQ(fake::LiveInputObjects(), 0) << "input devices outlived the engine";
    }
    fake::ResetPlatform();
  }

  test_support::TempDirectory dir_;  // where Log.txt goes
};

// Every font-size computation stays in range and no glyph costs seconds: sizes and edge sizes
// beyond the limits are refused, the limits themselves draw.
TEST_F(HostileCalls, FontSizesAndEdgeSizes) {
  Run({
      {"edge sizes that wrap the cell are refused",
       [] {
         Start();
         for (int edge : {INT_MAX, 1 << 30, 65536, 17}) {
           EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, edge, 0, -1, -1), -1) << edge;
         }
         const int font = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAliasEdge, -1, 16, 0, -1, -1);
         ASSERT_GE(font, 0) << "the largest edge size";
         EXPECT_EQ(DrawTextWithFont(10, 10, MixedText, White, font, 0), 0);
       }},
      {"sizes that divide by zero or overflow are refused",
       [] {
         Start();
         for (int size : {65528, 65536, 46341, INT_MAX, INT_MIN, 513, -513}) {
           EXPECT_EQ(CreateFontToHandle(nullptr, size, -1, -1, -1, -1, 0, -1, -1), -1) << size;
           EXPECT_EQ(SetDefaultFontSize(size, -1), -1) << size;
         }
         EXPECT_EQ(QueryFontSize(QueryDefaultFont()), 16) << "a refused size keeps the default font";
         EXPECT_EQ(DrawText(10, 10, MixedText, White, 0), 0);
         EXPECT_EQ(SetDefaultFontSize(24, -1), 0);
         EXPECT_EQ(QueryFontSize(QueryDefaultFont()), 24);
       }},
      {"the largest sizes draw",
       [] {
         Start();
         for (int size : {512, -512}) {
           const int font = CreateFontToHandle(nullptr, size, -1, FontTypeEdge, -1, 16, 0, -1, -1);
           ASSERT_GE(font, 0) << size;
           EXPECT_EQ(DrawTextWithFont(-100, -100, "A\x88\x9f", White, font, 0), 0);
           EXPECT_EQ(ReleaseFontHandle(font), 0);
         }
       }},
      {"thickness at int's ends",
       [] {
         Start();
         for (int thickness : {INT_MAX, INT_MIN, -2, 11}) {
           const int font = CreateFontToHandle(nullptr, 16, thickness, -1, -1, -1, 0, -1, -1);
           ASSERT_GE(font, 0) << thickness;
           const int weight = fake::FontCalls().back().weight;
           EXPECT_EQ(weight, thickness < 0 ? 0 : 1000) << "the nearest weight GDI knows";
           EXPECT_EQ(DrawTextWithFont(0, 0, MixedText, White, font, 0), 0);
         }
       }},
      {"spacing at int's ends",
       [] {
         Start();
         const int font = CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0, -1, -1);
         for (int spacing : {INT_MAX, INT_MIN, INT_MAX / 2}) {
           ASSERT_EQ(SetFontSpacing(spacing, font), 0);
           EXPECT_EQ(DrawTextWithFont(5, 5, "AAAAAA", White, font, 0), 0) << spacing;
           EXPECT_EQ(DrawTextWithFont(-5, 5, "AAAAAA", White, font, 0), 0) << spacing;
         }
         const int antiAliased = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAlias, -1, -1, 0, -1, -1);
         ASSERT_EQ(SetFontSpacing(INT_MAX, antiAliased), 0);
         EXPECT_EQ(DrawTextWithFont(5, 5, "AAAAAA", White, antiAliased, 0), 0) << "through the work image";
       }},
      {"the fake face's smallest heights with double-byte characters",
       [] {
         Start();
         for (int height : {1, 2, 3}) {
           for (int type = FontTypeNormal; type <= FontTypeAntiAliasEdge; ++type) {
             const int font = CreateFontToHandle(nullptr, height, -1, type, -1, -1, 0, -1, -1);
             ASSERT_GE(font, 0) << height;
             EXPECT_EQ(DrawTextWithFont(3, 3, MixedText, White, font, 0), 0) << height << " type " << type;
           }
         }
       }},
  });
}

// Text at every corner of int's range, on both screens and through both text paths.
TEST_F(HostileCalls, PositionsAtIntsEnds) {
  Run({
      {"text near INT_MIN and INT_MAX",
       [] {
         Start();
         const int antiAliased = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAliasEdge, -1, 2, 0, -1, -1);
         const int points[][2] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX - 3, 0}, {0, INT_MAX - 3},
                                  {INT_MIN + 1, 10},  {10, INT_MIN + 1},  {-8, -8}};
         for (int screen : {ScreenBack, ScreenFront}) {
           ASSERT_EQ(SelectDrawTarget(screen), 0);
           for (const auto& p : points) {
             SCOPED_TRACE(std::to_string(p[0]) + ", " + std::to_string(p[1]));
             EXPECT_EQ(DrawText(p[0], p[1], MixedText, White, 0), 0);
             EXPECT_EQ(DrawTextFormat(p[0], p[1], White, "%d %s", p[0], MixedText), 0);
             EXPECT_EQ(DrawTextWithFont(p[0], p[1], MixedText, White, antiAliased, 0), 0);
           }
         }
       }},
      {"a screen mode beyond any display",
       [] {
         EXPECT_EQ(SetScreenMode(INT_MAX, INT_MAX, 32, 60), -1);
         EXPECT_EQ(SetScreenMode(-800, 600, 32, 60), -1);
         EXPECT_EQ(SetScreenMode(800, INT_MIN, 32, 60), -1);
         EXPECT_EQ(SetScreenMode(8193, 600, 32, 60), -1);
         Start();
         EXPECT_EQ(GraphicsState.screenWidth, 800) << "the refused modes changed nothing";
         EXPECT_EQ(SetScreenMode(INT_MAX, INT_MAX, 32, 60), -1);
         EXPECT_EQ(GraphicsState.screenWidth, 800);
       }},
  });
}

// The drawing, text and key calls without a started engine return at once with their
// documented results, and make nothing that the next start would forget.
void CallEverythingStopped() {
  EXPECT_EQ(DrawLine(0, 0, 10, 10, White, 1), 0);
  EXPECT_EQ(DrawCircle(10, 10, 5, White, TRUE), 0);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(DrawText(0, 0, "text", White, 0), -1) << "no default font";
  EXPECT_EQ(DrawTextFormat(0, 0, White, "%d", 42), -1);
  EXPECT_EQ(IsKeyDown(1), 0);
  EXPECT_EQ(PresentScreen(), -1);
  EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0, -1, -1), -1) << "fonts live with the graphics";
  EXPECT_EQ(SetDefaultFontSize(20, -1), -1);
  EXPECT_EQ(QueryFontSize(QueryDefaultFont()), -1);
}

TEST_F(HostileCalls, CallsWithoutAStartedEngine) {
  Run({
      {"before start-up",
       [] {
         CallEverythingStopped();
         Start();
         EXPECT_EQ(QueryFontSize(QueryDefaultFont()), 16) << "start-up made its own default font";
         EXPECT_EQ(DrawText(0, 0, "text", White, 0), 0);
       }},
      {"after a start refused by a second copy",
       [] {
         fake::SetAnotherInstance(true);
         ASSERT_EQ(InitEngine(), -1);
         CallEverythingStopped();
       }},
      {"after a start that failed in COM",
       [] {
         fake::SetFailure(fake::Failure::CoInitialize, true);
         ASSERT_EQ(InitEngine(), -1);
         CallEverythingStopped();
       }},
      {"after a start that failed in graphics",
       [] {
         fake::SetFailure(fake::Failure::LoadD3d9, true);
         ASSERT_EQ(InitEngine(), -1);
         CallEverythingStopped();
       }},
      {"after the end, and started again",
       [] {
         Start();
         EndEngine();
         CallEverythingStopped();
         Start();
         EXPECT_EQ(DrawText(0, 0, "text", White, 0), 0);
         EndEngine();
         CallEverythingStopped();
       }},
  });
}

// A close (SIGTERM and SIGINT arrive as one) at any pass of the start-up's message pumps ends
// the start in order: -1 after the shut-down, no fatal error, nothing left.
TEST_F(HostileCalls, ACloseAtAnyPassOfTheStartUp) {
  Fresh();
  ASSERT_EQ(InitEngine(), 0);
  const int startPasses = fake::CurrentPass();
  EndEngine();
  ASSERT_GT(startPasses, 200);

  // The fatal errors of the steps that need the window.
  std::vector<std::string> fatal;
  for (const char* message :
       {"マウスデバイスの取得に失敗しました", "マウスデバイスのデータ形式の設定に失敗しました",
        "マウスデバイスの協調レベルの設定に失敗しました", "キーボードデバイスの取得に失敗しました",
        "キーボードデバイスのデータ形式の設定に失敗しました", "キーボードデバイスの協調レベルの設定に失敗しました"}) {
    fatal.push_back(test_support::Sjis(message));
  }
  for (int pass = 0; pass <= startPasses + 2; ++pass) {
    SCOPED_TRACE("close at pass " + std::to_string(pass));
    Fresh();
    fake::Schedule(pass, {fake::EventKind::Close});
    const int result = InitEngine();
    if (result == 0) {
      EXPECT_GE(pass, startPasses - 1) << "a close during the start-up still started";
      int pumps = 0;
      while (PumpMessages() == 0 && ++pumps < 5) {
      }
      EXPECT_LT(pumps, 5) << "the close ends the program within the next pumps";
    } else {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(EngineState.Initialised, 0);
      EXPECT_EQ(EngineState.Initialising, 0);
      EXPECT_EQ(fake::ComDepth(), 0) << "COM ended by the shut-down";
    }
    EndEngine();
    const std::string log = test_support::ReadFile(dir_.path() / "Log.txt");
    for (const std::string& message : fatal) EXPECT_EQ(log.find(message), std::string::npos) << log;
    EXPECT_EQ(LiveBlockCount(), 0);
    EXPECT_EQ(fake::LiveFonts(), 0);
    EXPECT_EQ(fake::NativeWindowCount(), 0);
    EXPECT_EQ(fake::LiveInputObjects(), 0);
    if (HasFailure()) break;
  }
  fake::ResetPlatform();
}

}  // namespace
