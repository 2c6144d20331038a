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

// The multimedia joystick interface: capabilities of joystick 0, 1, 2, ...
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT JOYERR_NOERROR = 0;
constexpr MMRESULT JOYERR_PARMS = 165;
constexpr MMRESULT JOYERR_UNPLUGGED = 167;
constexpr UINT JOYCAPS_HASZ = 0x1;
constexpr UINT JOYCAPS_HASR = 0x2;
constexpr UINT JOYCAPS_HASU = 0x4;
constexpr UINT JOYCAPS_HASV = 0x8;
constexpr UINT JOYCAPS_HASPOV = 0x10;

struct JOYCAPSA {
  WORD wMid;
  WORD wPid;
  char szPname[32];
  UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
  UINT wNumButtons;
  UINT wPeriodMin, wPeriodMax;
  UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
  UINT wCaps;
  UINT wMaxAxes, wNumAxes, wMaxButtons;
  char szRegKey[32];
  char szOEMVxD[260];
};

MMRESULT joyGetDevCapsA(UINT id, JOYCAPSA* caps, UINT size);
