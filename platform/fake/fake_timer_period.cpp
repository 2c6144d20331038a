// The fake multimedia timer's resolution: settable limits, and a record of raised periods so
// tests can see every begin paired with its end.
#include <algorithm>

#include "../common/platform_contract.h"
#include "fake_state.h"
#include "platform/winmm.h"

using fake::State;

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
  if (caps == nullptr || size < sizeof(TIMECAPS) || fake::Fails(fake::Failure::TimeGetDevCaps)) {
    return TIMERR_NOCANDO;
  }
  caps->wPeriodMin = State().timerPeriodMin;
  caps->wPeriodMax = State().timerPeriodMax;
  return MMSYSERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
  if (fake::Fails(fake::Failure::TimeBeginPeriod) || period < State().timerPeriodMin ||
      period > State().timerPeriodMax) {
    return TIMERR_NOCANDO;
  }
  State().raisedPeriods.push_back(period);
  return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
  auto& raised = State().raisedPeriods;
  const auto found = std::find(raised.rbegin(), raised.rend(), period);
  if (found == raised.rend()) return TIMERR_NOCANDO;
  raised.erase(std::next(found).base());
  return TIMERR_NOERROR;
}
