#include "vornek.h"

#include "../core/api_lock.h"
#include "../input/input.h"
#include "../core/engine_state.h"
#include "window.h"
#include "../core/engine_thread.h"

int PumpMessages() {
  if (CalledOffEngineThread(__func__)) return -1;
  AcquireApiLock();
  int result = PumpWindowMessages();
  if (result == 0 && EngineState.ModeToggleRequested) {
    EngineState.ModeToggleRequested = 0;
    if (EngineState.Initialised && !EngineState.ModeSwitching && !EngineState.FullScreenKeyOff) {
      ChangeWindowMode(EngineState.Windowed ? FALSE : TRUE);
      result = EngineState.QuitRequested ? -1 : 0;
    }
  }
  // The program's own pump marks its frames: what it and the calls since the last one drained
  // makes the new frame's input edges.
  PublishInputFrame();
  ReleaseApiLock();
  return result;
}
