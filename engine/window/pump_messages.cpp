#include "vornek.h"

#include "../core/api_lock.h"
#include "../input/input.h"
#include "window.h"
#include "../core/engine_thread.h"

int PumpMessages() {
  if (CalledOffEngineThread(__func__)) return -1;
  AcquireApiLock();
  const int result = PumpWindowMessages();
  // The program's own pump marks its frames: what it and the calls since the last one drained
  // makes the new frame's input edges.
  PublishInputFrame();
  ReleaseApiLock();
  return result;
}
