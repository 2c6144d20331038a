// Millisecond and microsecond counters, the time-stamp counter's calibration and the choice of
// the timer that GetMicroCount trusts.
#pragma once

#include <cstdint>

// GetMilliCount is timeGetTime with bit 31 cleared. GetMicroCount reads the time-stamp counter
// (when asked for, measured and the engine running), else the performance counter when it is
// trusted, else the multimedia timer.
#include "vornek.h"  // GetMilliCount, GetMicroCount

// Queries the performance-counter frequency (InitEngine).
void StartPerformanceCounter();
// Finds out whether the processor has a time-stamp counter and measures its frequency over
// 100 ms. Returns the ticks counted in that time (0 when there is no usable counter).
std::uint64_t CalibrateCpuCounter();

// Window start-up: raises the multimedia timer's resolution to its finest period and decides,
// by counting changes of both clocks for up to a second, whether the performance counter is
// trusted. The window's message pump is called between the reads (0 to go on; anything else,
// as when the program is closing, ends the count). Window end: lowers the resolution again.
void SelectTimer(int (*pumpMessages)());
void EndTimerPeriod();
