// Millisecond and microsecond counters.
#pragma once

// timeGetTime with bit 31 cleared.
int GetMilliCount();
// Queries the performance-counter frequency at start-up.
void StartPerformanceCounter();
