// The multimedia timer: milliseconds since the system started, wrapping at 2^32.
#pragma once

#include "platform/win32_types.h"

DWORD timeGetTime();

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};

using MMRESULT = UINT;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
// Raise and lower the timer's resolution; every begin is paired with an end of the same period.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
