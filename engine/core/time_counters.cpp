#include "time_counters.h"

#include "platform/winmm.h"

int GetMilliCount() { return static_cast<int>(timeGetTime() & 0x7FFFFFFFu); }

void StartPerformanceCounter() {}
