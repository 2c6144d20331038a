// Controls of the fake platform: a clock that moves only when told, a settable desktop and
// processor, and a failure switch for every platform call whose failure the engine handles.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace fake {

enum class Failure {
  CoInitialize,
  FailureCount,
};

// Every setting back to its default: clock 0, performance counter at 1 MHz, 32-bit desktop,
// the real processor, no failures, COM not started.
void ResetPlatform();

void SetClock(DWORD milliseconds);
void AdvanceClock(DWORD milliseconds);
// A frequency of 0 makes the performance counter unusable.
void SetPerformanceCounter(LONGLONG frequency, LONGLONG count);

void SetDesktopDepth(int bitsPerPixel);

// Replaces the processor's identification: whether the instruction exists, and leaf 1's EDX.
void SetCpu(bool available, std::uint32_t leaf1Edx);
void UseRealCpu();

void SetFailure(Failure which, bool fail);

int ComDepth();

}  // namespace fake
