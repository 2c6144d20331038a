#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/log.h"
#include "core/time_counters.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "platform/winmm.h"
#include "test_support.h"
#include "window/window.h"

namespace {

using test_support::Sjis;

class TimeCountersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    std::strcpy(EngineState.StartupDirectory, dir_.path().c_str());
    StartLog();
  }
  void TearDown() override {
    EndTimerPeriod();
    fake::ResetPlatform();
  }
  test_support::TempDirectory dir_;
};

TEST_F(TimeCountersTest, MilliCountDropsBit31) {
  const struct {
    DWORD clock;
    int expected;
  } cases[] = {{0, 0}, {12345, 12345}, {0x7FFFFFFFu, 0x7FFFFFFF}, {0x80000000u, 0}, {0xFFFFFFFFu, 0x7FFFFFFF}};
  for (const auto& c : cases) {
    fake::SetClock(c.clock);
    EXPECT_EQ(GetMilliCount(), c.expected) << c.clock;
  }
}

TEST_F(TimeCountersTest, MicroCountReadsTheCounterItsFlagsChoose) {
  using Wide = unsigned __int128;
  const std::uint64_t tsc = 0xFFFFFFFFFFFF1234u;  // a product far past 64 bits
  const std::uint64_t cpuFrequency = 2593000000u;
  const LONGLONG perfCount = 0x7FFFFFFFFFFF0000;
  const std::uint64_t perfFrequency = 3579545;
  const std::uint64_t fromCpu = static_cast<std::uint64_t>(static_cast<Wide>(tsc) * 1000000u / cpuFrequency);
  const std::uint64_t fromPerf = static_cast<std::uint64_t>(static_cast<Wide>(perfCount) * 1000000u / perfFrequency);
  const std::uint64_t fromTimer = 0xFFFFFFF0ull * 1000u;  // not masked to 31 bits

  struct Case {
    const char* name;
    int cpuUsable, perfUsable, initialised, useCpu;
    std::uint64_t expected;
  };
  const Case cases[] = {
      {"time-stamp counter", 1, 1, 1, 1, fromCpu},
      {"time-stamp counter not asked for", 1, 1, 1, 0, fromPerf},
      {"time-stamp counter before start-up", 1, 1, 0, 1, fromPerf},
      {"performance counter", 0, 1, 1, 1, fromPerf},
      {"multimedia timer", 0, 0, 1, 1, fromTimer},
      {"multimedia timer, no time-stamp counter asked for", 1, 0, 1, 0, fromTimer},
  };
  for (const Case& c : cases) {
    fake::SetClock(0xFFFFFFF0u);
    fake::SetTimeStampCounter(tsc);
    fake::SetPerformanceCounter(static_cast<LONGLONG>(perfFrequency), perfCount);
    fake::SetPerformanceCounterStep(0);
    EngineState.CpuCounterUsable = c.cpuUsable;
    EngineState.CpuFrequency = cpuFrequency;
    EngineState.PerfCounterUsable = c.perfUsable;
    EngineState.PerfFrequency = perfFrequency;
    EngineState.Initialised = c.initialised;
    EXPECT_EQ(GetMicroCount(c.useCpu), c.expected) << c.name;
  }
}

TEST_F(TimeCountersTest, PerformanceCounterFrequencyDecidesWhetherItIsUsable) {
  StartPerformanceCounter();
  EXPECT_EQ(EngineState.PerfCounterUsable, 1);
  EXPECT_EQ(EngineState.PerfFrequency, 1000000u);
  fake::SetPerformanceCounter(0, 0);
  StartPerformanceCounter();
  EXPECT_EQ(EngineState.PerfCounterUsable, 0);
  EXPECT_EQ(EngineState.PerfFrequency, 0u);
}

TEST_F(TimeCountersTest, CalibrationCountsTicksOver100Milliseconds) {
  fake::SetCpu(true, 1u << 4);
  fake::SetClockStep(1);
  fake::SetTimeStampCounter(1000, 259300000);
  EXPECT_EQ(CalibrateCpuCounter(), 259300000u);
  EXPECT_EQ(EngineState.CpuCounterUsable, 1);
  EXPECT_EQ(EngineState.CpuFrequency, 2593000000u);

  // The wait ends even when the millisecond count wraps past 2^31 - 1 during it.
  fake::SetClock(0xFFFFFFC0u);
  EXPECT_EQ(CalibrateCpuCounter(), 259300000u);

  fake::SetTimeStampCounter(1000, 0);
  EXPECT_EQ(CalibrateCpuCounter(), 0u) << "a counter that stands still is not used";
  EXPECT_EQ(EngineState.CpuCounterUsable, 0);

  fake::SetCpu(true, 0);
  EXPECT_EQ(CalibrateCpuCounter(), 0u);
  EXPECT_EQ(EngineState.CpuCounterUsable, 0);
  fake::SetCpu(false, 1u << 4);
  EXPECT_EQ(CalibrateCpuCounter(), 0u);
  EXPECT_EQ(EngineState.CpuFrequency, 0u);
}

TEST_F(TimeCountersTest, SelectionKeepsTheCounterThatChangesMoreOften) {
  struct Case {
    const char* name;
    DWORD clockStep;
    LONGLONG counterStep;
    int perfUsable;
    const char* log;
  };
  const Case cases[] = {
      {"performance counter changes more often", 0, 1, 1,
       "タイマーの精度を検査します\r\n精度結果 更新回数 マルチメディアタイマー：0  パフォーマンスカウンター：60\r\n"
       " パフォーマンスカウンターを使用します タイマー分解能 : 1000.000000 KHz \r\n "},
      {"multimedia timer changes more often", 1, 0, 0,
       "タイマーの精度を検査します\r\n精度結果 更新回数 マルチメディアタイマー：60  パフォーマンスカウンター：0\r\n"
       " マルチメディアタイマーを使用します タイマー分解能 : 3.00 ms \r\n "},
      {"a tie keeps the performance counter", 1, 1, 1,
       "タイマーの精度を検査します\r\n精度結果 更新回数 マルチメディアタイマー：60  パフォーマンスカウンター：60\r\n"
       " パフォーマンスカウンターを使用します タイマー分解能 : 1000.000000 KHz \r\n "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ResetPlatform();
    fake::SetTimerCaps(3, 100);
    fake::SetClockStep(c.clockStep);
    fake::SetPerformanceCounterStep(c.counterStep);
    SelectTimer(&PumpWindowMessages);
    EXPECT_EQ(EngineState.PerfCounterUsable, c.perfUsable);
    EXPECT_EQ(fake::DebugOutput(), Sjis(c.log));
    EXPECT_EQ(fake::RaisedTimerPeriods(), std::vector<UINT>{3});
    EndTimerPeriod();
    EXPECT_TRUE(fake::RaisedTimerPeriods().empty());
  }
}

TEST_F(TimeCountersTest, SelectionStopsAfterASecondOrWhenThePumpEnds) {
  fake::SetClockStep(20);  // every read moves 20 ms: a few dozen changes fit in the second
  fake::SetPerformanceCounterStep(0);
  SelectTimer(&PumpWindowMessages);
  EXPECT_EQ(EngineState.PerfCounterUsable, 0);
  EXPECT_NE(fake::DebugOutput().find(Sjis("マルチメディアタイマー：25  パフォーマンスカウンター：0")),
            std::string::npos);

  fake::ResetPlatform();
  EngineState.QuitRequested = 1;
  SelectTimer(&PumpWindowMessages);
  EXPECT_NE(fake::DebugOutput().find(Sjis("マルチメディアタイマー：0  パフォーマンスカウンター：0")),
            std::string::npos);
  EXPECT_EQ(EngineState.PerfCounterUsable, 1);
}

// A period the engine could not raise is not lowered at the end, so that the periods other
// programs raised stay as they were.
TEST_F(TimeCountersTest, APeriodThatCannotBeRaisedIsNeverLowered) {
  fake::SetTimerCaps(2, 1000);
  ASSERT_EQ(timeBeginPeriod(2), TIMERR_NOERROR) << "another program's period";
  fake::SetFailure(fake::Failure::TimeBeginPeriod, true);
  SelectTimer(&PumpWindowMessages);
  EXPECT_EQ(fake::RaisedTimerPeriods(), std::vector<UINT>{2});
  EndTimerPeriod();
  EXPECT_EQ(fake::RaisedTimerPeriods(), std::vector<UINT>{2}) << "the other program's period stays raised";
}

TEST_F(TimeCountersTest, SelectionWithoutAPerformanceCounterOrTimerCaps) {
  fake::SetPerformanceCounter(0, 0);
  fake::SetFailure(fake::Failure::TimeGetDevCaps, true);
  SelectTimer(&PumpWindowMessages);
  EXPECT_EQ(EngineState.PerfCounterUsable, 0);
  EXPECT_EQ(fake::DebugOutput(), "") << "no check without a performance counter";
  EXPECT_TRUE(fake::RaisedTimerPeriods().empty());
  EndTimerPeriod();
  EXPECT_TRUE(fake::RaisedTimerPeriods().empty());
}

}  // namespace
