#include <gtest/gtest.h>

#include <cstring>

#include "core/api_lock.h"
#include "core/engine_state.h"
#include "core/fatal_error.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "test_support.h"
#include "vornek.h"

namespace {

class LifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  std::string Log() const { return test_support::ReadFile(dir_.path() / "Log.txt"); }

  test_support::TempDirectory dir_;  // InitEngine's current directory, where Log.txt goes
};

TEST_F(LifecycleTest, StartsOnceAndEndsOnce) {
  ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  ChangeWindowMode(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(EngineState.Initialised, 1);
  EXPECT_EQ(EngineState.Initialising, 0);
  EXPECT_EQ(EngineState.ComStarted, 1);
  EXPECT_EQ(fake::ComDepth(), 1);
  EXPECT_EQ(GraphicsState.noVSyncWait, 0);
  EXPECT_NE(EngineState.StartupDirectory[0], '\0');

  EXPECT_EQ(InitEngine(), 0) << "a second start changes nothing";
  EXPECT_EQ(fake::ComDepth(), 1);

  EXPECT_EQ(EndEngine(), 0);
  EXPECT_EQ(EngineState.Initialised, 0);
  EXPECT_EQ(EngineState.ComStarted, 0);
  EXPECT_EQ(fake::ComDepth(), 0);
  EXPECT_EQ(ApiLock.created, 0) << "EndEngine closes the lock";
  EXPECT_EQ(EndEngine(), 0) << "a second end does nothing";
}

TEST_F(LifecycleTest, LogFileEndsWithAReportOfTheBlocksStillAlive) {
  ChangeWindowMode(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_STREQ(EngineState.StartupDirectory, dir_.path().c_str());
  EXPECT_NE(Log().find(test_support::Sjis("タイマーの精度を検査します")), std::string::npos);
  EXPECT_EQ(fake::RaisedTimerPeriods(), (std::vector<UINT>{1, 1}))
      << "the timer runs at its finest period, raised by the system report and by the window start-up";

  void* leaked = TrackedAlloc(24, "leak.cpp", 7);
  ASSERT_NE(leaked, nullptr);
  EXPECT_EQ(EndEngine(), 0);
  EXPECT_EQ(fake::RaisedTimerPeriods(), std::vector<UINT>{1}) << "the window end lowers the period once";
  // The window's start-up waits 200 ms, so the report's lines carry a stamp past 0; they all
  // carry the same one.
  std::string log = Log();
  const std::size_t dump = log.rfind("Alloc memory dump\r\n");
  ASSERT_NE(dump, std::string::npos) << log;
  const std::size_t lineStart = log.rfind('\n', dump) + 1;
  const std::string stamp = log.substr(lineStart, dump - lineStart);
  std::string report = log.substr(lineStart);
  EXPECT_EQ(report.find("\tsize:24(0.023kb)  file:leak.cpp  line:7  ID:"),
            (stamp + "Alloc memory dump\r\n" + stamp).size())
      << report;
  EXPECT_EQ(report.find("\tsize:", report.find("leak.cpp")), std::string::npos) << "one block only";
  EXPECT_NE(report.find(stamp + "\tTotal size:24(0.023kb)  Alloc num:1\r\n" + stamp + "\r\n"), std::string::npos)
      << report;
  TrackedFree(leaked);

  // A clean cycle reports no block at all.
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(EndEngine(), 0);
  log = Log();
  const std::size_t again = log.rfind("Alloc memory dump\r\n");
  const std::size_t againStart = log.rfind('\n', again) + 1;
  const std::string stamp2 = log.substr(againStart, again - againStart);
  report = log.substr(againStart);
  EXPECT_EQ(report,
            stamp2 + "Alloc memory dump\r\n" + stamp2 + "\tTotal size:0(0.000kb)  Alloc num:0\r\n" + stamp2 + "\r\n");
}

TEST_F(LifecycleTest, WithTheLogOffNothingIsWritten) {
  SetLogOutputFlag(FALSE);
  ChangeWindowMode(TRUE);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(EndEngine(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Log.txt"));
  EXPECT_EQ(fake::DebugOutput(), "") << "nothing reaches the terminal while the log is off";
}

TEST_F(LifecycleTest, EndWithoutStartDoesNotTouchTheLock) {
  // Not made yet in a new process; a start refused earlier in this one leaves it made, and open.
  const int created = ApiLock.created;
  EXPECT_EQ(EndEngine(), 0);
  EXPECT_EQ(ApiLock.created, created);
  EXPECT_EQ(PumpMessages(), 0) << "before start-up the pump finds no window";
  EngineState.QuitRequested = 1;
  EXPECT_EQ(PumpMessages(), -1);
}

TEST_F(LifecycleTest, RefusesA24BitDesktopInAWindowAndLeavesInitialisingSet) {
  fake::SetDesktopDepth(24);
  ChangeWindowMode(TRUE);
  EXPECT_EQ(InitEngine(), -1);
  EXPECT_EQ(EngineState.Initialised, 0);
  EXPECT_EQ(EngineState.Initialising, 1);
  EXPECT_EQ(fake::ComDepth(), 0) << "refused before COM starts";
}

TEST_F(LifecycleTest, A24BitDesktopIsFineForFullScreen) {
  fake::SetDesktopDepth(24);
  ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  EXPECT_EQ(InitEngine(), 0);
}

TEST_F(LifecycleTest, FailedComStartReturnsMinusOneAndCanBeRetried) {
  fake::SetFailure(fake::Failure::CoInitialize, true);
  EXPECT_EQ(InitEngine(), -1);
  EXPECT_EQ(EngineState.Initialised, 0);
  EXPECT_EQ(EngineState.Initialising, 0);
  fake::SetFailure(fake::Failure::CoInitialize, false);
  EXPECT_EQ(InitEngine(), 0);
}

TEST_F(LifecycleTest, SettingsBeforeStartUp) {
  struct ModeCase {
    int width, height, bits, result;
  };
  const ModeCase modes[] = {
      {800, 600, 32, 0}, {640, 480, 16, 0}, {320, 240, 8, 0},  {800, 600, 24, -1},
      {0, 600, 32, -1},  {800, 0, 32, -1},  {800, 600, 0, -1}, {800, 600, 15, -1},
  };
  for (const ModeCase& m : modes) {
    GraphicsState = GraphicsStateRecord{};
    EXPECT_EQ(SetScreenMode(m.width, m.height, m.bits, 60), m.result) << m.width << "x" << m.height << "x" << m.bits;
    EXPECT_EQ(GraphicsState.screenWidth, m.result == 0 ? m.width : 0);
  }

  EXPECT_EQ(ChangeWindowMode(TRUE), 0);
  EXPECT_EQ(EngineState.Windowed, 1);
  EXPECT_EQ(ChangeWindowMode(TRUE), 0);
  EXPECT_EQ(ChangeWindowMode(FALSE), 0);
  EXPECT_EQ(EngineState.Windowed, 0);

  EXPECT_EQ(SetLogOutputFlag(FALSE), 0);
  EXPECT_EQ(EngineState.LogDisabled, 1);
  EXPECT_EQ(SetLogOutputFlag(7), 0);
  EXPECT_EQ(EngineState.LogDisabled, 0);

  EXPECT_EQ(SetWindowTitle("Pellimar\x81\x40ver0.10"), 0);
  EXPECT_STREQ(EngineState.WindowTitle, "Pellimar\x81\x40ver0.10");
  EXPECT_EQ(SetWindowTitle(nullptr), -1);
  std::string longTitle(400, 'x');
  EXPECT_EQ(SetWindowTitle(longTitle.c_str()), 0);
  EXPECT_EQ(std::strlen(EngineState.WindowTitle), 255u) << "cut, never overrun";
}

TEST_F(LifecycleTest, FatalErrorShutsDownAndExitsWithMinusOne) {
  EXPECT_EXIT(
      {
        InitEngine();
        FatalErrorFormat("%s %d", "out of", 42);
      },
      ::testing::ExitedWithCode(255), "");
}

}  // namespace
