#include "vornek.h"

#include "../core/api_lock.h"
#include "window.h"

int PumpMessages() {
  AcquireApiLock();
  const int result = PumpWindowMessages();
  ReleaseApiLock();
  return result;
}
