// The front-screen timer: while the front screen is the draw target, the last picture is
// presented again every 32 ms whenever messages are pumped.
#include "../core/engine_state.h"
#include "draw_state.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "platform/user32.h"
#include "vornek.h"

namespace {

constexpr UINT_PTR FrontScreenTimerId = 0x7FFF;
constexpr UINT FrontScreenTimerPeriod = 32;

void FrontScreenTimer(HWND window, UINT, UINT_PTR, DWORD) {
  KillTimer(window, FrontScreenTimerId);
  if (DrawState.drawScreen != ScreenFront) return;
  if (GraphicsState.useHardware && !EngineState.Windowed) EnsureSubBackBuffer();
  PresentScreen();
  SetTimer(window, FrontScreenTimerId, FrontScreenTimerPeriod, FrontScreenTimer);
}

}  // namespace

void StartFrontScreenTimer() {
  if (EngineState.MainWindow == nullptr) return;
  SetTimer(EngineState.MainWindow, FrontScreenTimerId, FrontScreenTimerPeriod, FrontScreenTimer);
}
