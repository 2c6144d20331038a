// The multimedia timer's resolution. The kernel's clock is already finer than a millisecond, so
// raising the period only has to be accepted and paired.
#include "../common/platform_contract.h"
#include "platform/winmm.h"

namespace {
constexpr UINT MinimumPeriod = 1;
constexpr UINT MaximumPeriod = 1000000;
}  // namespace

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (caps == nullptr || size < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
  caps->wPeriodMin = MinimumPeriod;
  caps->wPeriodMax = MaximumPeriod;
  return MMSYSERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
  return period >= MinimumPeriod && period <= MaximumPeriod ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period) {
  return period >= MinimumPeriod && period <= MaximumPeriod ? TIMERR_NOERROR : TIMERR_NOCANDO;
}
