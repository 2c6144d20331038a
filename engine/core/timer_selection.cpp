// Window start-up's choice between the performance counter and the multimedia timer, and the
// timer resolution raised for the engine's run.
#include "engine_state.h"
#include "log.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "time_counters.h"

namespace {

struct TimerPeriodRecord {
  int raised;
  UINT period;
};

TimerPeriodRecord TimerPeriod{};

constexpr int ChangesToDecide = 60;
constexpr DWORD LongestCheck = 1000;

// The performance counter's value, or the last one seen when it cannot be read.
LONGLONG ReadPerformanceCounter(LONGLONG last) {
  LARGE_INTEGER count;
  return QueryPerformanceCounter(&count) ? count.QuadPart : last;
}

void CheckPerformanceCounter(UINT minimumPeriod, int (*pumpMessages)()) {
  LogText("タイマーの精度を検査します\n");
  int timerChanges = 0;
  int counterChanges = 0;
  DWORD lastTime = timeGetTime();
  LONGLONG lastCount = ReadPerformanceCounter(0);
  const DWORD start = timeGetTime();
  while (pumpMessages() == 0) {
    if (timerChanges == ChangesToDecide || counterChanges == ChangesToDecide || timeGetTime() - start >= LongestCheck) {
      break;
    }
    const LONGLONG count = ReadPerformanceCounter(lastCount);
    if (count != lastCount) {
      ++counterChanges;
      lastCount = count;
    }
    const DWORD time = timeGetTime();
    if (time != lastTime) {
      ++timerChanges;
      lastTime = time;
    }
  }
  LogFormat("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", timerChanges, counterChanges);
  LogText(" ");
  if (timerChanges > counterChanges) {
    LogFormat("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ", static_cast<int>(minimumPeriod));
    EngineState.PerfCounterUsable = 0;
  } else {
    LogFormat("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
              static_cast<double>(EngineState.PerfFrequency) * 0.001);
  }
  LogText(" ");
}

}  // namespace

void SelectTimer(int (*pumpMessages)()) {
  StartPerformanceCounter();

  TIMECAPS caps{};
  if (timeGetDevCaps(&caps, sizeof caps) == MMSYSERR_NOERROR && timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR) {
    TimerPeriod.raised = 1;
    TimerPeriod.period = caps.wPeriodMin;
  }

  if (EngineState.PerfCounterUsable) CheckPerformanceCounter(caps.wPeriodMin, pumpMessages);
}

void EndTimerPeriod() {
  if (!TimerPeriod.raised) return;
  // Lowered with the very period that was raised, whatever the capabilities say by now.
  timeEndPeriod(TimerPeriod.period);
  TimerPeriod = TimerPeriodRecord{};
}
