// The front-screen timer: while the front screen is the draw target, the last picture is
// presented again every 32 ms whenever messages are pumped, for programs that stop presenting
// for a while (a long load, a modal loop).
//
// A program that presents every frame pumps its messages right after each present, so a tick
// that presented again would show a picture the display has just received and, waiting for the
// vertical blank, take the next frame's refresh from the program. A tick therefore presents
// only when nothing was presented since its previous tick, and then without waiting for the
// vertical blank, as a repaint does.
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
  if (GraphicsState.presentCount == GraphicsState.presentCountAtTimerTick) RepaintPresent();
  GraphicsState.presentCountAtTimerTick = GraphicsState.presentCount;
  SetTimer(window, FrontScreenTimerId, FrontScreenTimerPeriod, FrontScreenTimer);
}

}  // namespace

void StartFrontScreenTimer() {
  if (EngineState.MainWindow == nullptr) return;
  GraphicsState.presentCountAtTimerTick = GraphicsState.presentCount;
  SetTimer(EngineState.MainWindow, FrontScreenTimerId, FrontScreenTimerPeriod, FrontScreenTimer);
}
