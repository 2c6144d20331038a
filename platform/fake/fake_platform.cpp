#include "fake_state.h"

namespace fake {

FakeState& State() {
  static FakeState state;
  return state;
}

void ResetPlatform() { State() = FakeState{}; }

void SetClock(DWORD milliseconds) { State().clock = milliseconds; }
void AdvanceClock(DWORD milliseconds) { State().clock += milliseconds; }

void SetClockStep(DWORD milliseconds) { State().clockStep = milliseconds; }

void SetPerformanceCounter(LONGLONG frequency, LONGLONG count) {
  State().perfFrequency = frequency;
  State().perfCount = count;
}

void SetPerformanceCounterStep(LONGLONG ticks) { State().perfStep = ticks; }
void SetTimeStampCounter(std::uint64_t ticks, std::uint64_t stepPerRead) {
  State().timeStampCounter = ticks;
  State().timeStampStep = stepPerRead;
}

void SetTimerCaps(UINT periodMin, UINT periodMax) {
  State().timerPeriodMin = periodMin;
  State().timerPeriodMax = periodMax;
}

const std::vector<UINT>& RaisedTimerPeriods() { return State().raisedPeriods; }

const std::string& DebugOutput() { return State().debugOutput; }
void ClearDebugOutput() { State().debugOutput.clear(); }

void SetDesktopDepth(int bitsPerPixel) { State().desktopDepth = bitsPerPixel; }

void SetCpu(bool available, std::uint32_t leaf1Edx) {
  State().realCpu = false;
  State().cpuAvailable = available;
  State().leaf1Edx = leaf1Edx;
}

void UseRealCpu() { State().realCpu = true; }

void SetFailure(Failure which, bool fail) { State().failures[static_cast<int>(which)] = fail; }

int ComDepth() { return State().comDepth; }

const PresentedFrame& Presented() { return State().presented; }

void SetClientSize(int width, int height) {
  PresentedFrame& frame = State().presented;
  frame.width = width;
  frame.height = height;
  frame.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

int VerticalBlankWaits() { return State().verticalBlankWaits; }

}  // namespace fake
