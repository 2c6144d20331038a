// The multimedia timer and the performance counter from the kernel's monotonic clock.
#include <ctime>

#include "../common/platform_contract.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"

namespace {

std::uint64_t MonotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace

// Milliseconds since the system started, wrapping at 2^32 like the Windows timer.
DWORD timeGetTime() { return static_cast<DWORD>(MonotonicNanoseconds() / 1000000u); }

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = static_cast<LONGLONG>(MonotonicNanoseconds());
  return TRUE;
}
