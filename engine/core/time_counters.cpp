#include "time_counters.h"

#include "engine_state.h"
#include "platform/cpu.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "wide_arithmetic.h"

namespace {

constexpr std::uint32_t TimeStampCounterFlag = 1u << 4;  // leaf 1, EDX

std::uint64_t TicksToMicroseconds(std::uint64_t ticks, std::uint64_t frequency) {
  return DivU128By64(MulU64To128(ticks, 1000000u), frequency);
}

}  // namespace

int GetMilliCount() { return static_cast<int>(timeGetTime() & 0x7FFFFFFFu); }

std::uint64_t GetMicroCount(int useCpuCounter) {
  if (EngineState.CpuCounterUsable && useCpuCounter == 1 && EngineState.Initialised && EngineState.CpuFrequency != 0) {
    return TicksToMicroseconds(ReadTimeStampCounter(), EngineState.CpuFrequency);
  }
  if (EngineState.PerfCounterUsable && EngineState.PerfFrequency != 0) {
    LARGE_INTEGER count;
    if (QueryPerformanceCounter(&count)) {
      return TicksToMicroseconds(static_cast<std::uint64_t>(count.QuadPart), EngineState.PerfFrequency);
    }
  }
  return static_cast<std::uint64_t>(timeGetTime()) * 1000u;
}

void StartPerformanceCounter() {
  LARGE_INTEGER frequency;
  EngineState.PerfFrequency = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0
                                  ? static_cast<std::uint64_t>(frequency.QuadPart)
                                  : 0;
  EngineState.PerfCounterUsable = EngineState.PerfFrequency != 0;
}

std::uint64_t CalibrateCpuCounter() {
  EngineState.CpuCounterUsable = 0;
  EngineState.CpuFrequency = 0;
  if (!CpuIdAvailable()) return 0;
  std::uint32_t registers[4];
  CpuId(1, registers);
  if ((registers[3] & TimeStampCounterFlag) == 0) return 0;

  const std::uint64_t first = ReadTimeStampCounter();
  const int start = GetMilliCount();
  // Masked, so a millisecond count that wraps past 2^31 - 1 meanwhile still ends the wait.
  while (((GetMilliCount() - start) & 0x7FFFFFFF) < 100) {
  }
  const std::uint64_t ticks = ReadTimeStampCounter() - first;
  // A counter that did not move cannot time anything (and would make GetMicroCount divide by 0).
  if (ticks == 0) return 0;
  EngineState.CpuCounterUsable = 1;
  EngineState.CpuFrequency = ticks * 10;
  return ticks;
}
