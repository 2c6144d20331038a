#include "vornek.h"

#include "../core/api_lock.h"
#include "window.h"
#include "../core/engine_thread.h"

int PumpMessages() {
  if (CalledOffEngineThread(__func__)) return -1;
  AcquireApiLock();
  const int result = PumpWindowMessages();
  ReleaseApiLock();
  return result;
}
