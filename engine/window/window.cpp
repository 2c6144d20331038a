#include "window.h"

#include "../core/engine_state.h"
#include "../core/time_counters.h"
#include "../random/random.h"

// No window yet: start-up succeeds without one, and the pump reports that the program must end
// once the engine runs without a window, so a frame loop never spins with nothing to show.
int StartWindow() {
  SelectTimer();
  SeedRandom(static_cast<std::uint32_t>(GetMilliCount()));
  return 0;
}
// Ending the window is what makes the program's last message pump see the quit request.
int EndWindow() {
  EndTimerPeriod();
  EngineState.QuitRequested = 1;
  return 0;
}

int PumpWindowMessages() {
  if (EngineState.QuitRequested) return -1;
  if (EngineState.Initialised && EngineState.MainWindow == nullptr) return -1;
  return 0;
}

void WaitWhileInactive() {}
void BringWindowToFront() {}
void StartCharBuffer() {}

int SwitchWindowMode(int windowed) {
  EngineState.Windowed = windowed;
  return 0;
}

int RefreshWindowLayout() { return 0; }
