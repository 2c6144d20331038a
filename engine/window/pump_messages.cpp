#include "vornek.h"

#include "../core/api_lock.h"
#include "../core/engine_state.h"
#include "window.h"

int PumpMessages() {
  AcquireApiLock();
  int result = PumpWindowMessages();
  if (result == 0 && EngineState.ModeToggleRequested) {
    EngineState.ModeToggleRequested = 0;
    if (EngineState.Initialised && !EngineState.ModeSwitching && !EngineState.FullScreenKeyOff) {
      ChangeWindowMode(EngineState.Windowed ? FALSE : TRUE);
      result = EngineState.QuitRequested ? -1 : 0;
    }
  }
  ReleaseApiLock();
  return result;
}
