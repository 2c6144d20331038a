// DrawLine and DrawCircle: the checks every primitive shares, then the back-end.
#include "../core/engine_state.h"
#include "../window/window.h"
#include "draw_state.h"
#include "graphics_state.h"
#include "soft/soft_draw.h"
#include "vornek.h"

int DrawLine(int x1, int y1, int x2, int y2, int color, int thickness) {
  if (thickness > 1) return 0;  // thick lines are drawn by the hardware back-end only
  if (DrawState.drawAreaEmpty) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();
  if (DrawState.softTarget == nullptr) return 0;
  const SoftDrawParams params = CurrentSoftDrawParams();
  SoftDrawLine(DrawState.softTarget, &params, x1, y1, x2, y2, static_cast<std::uint32_t>(color));
  return 0;
}

int DrawCircle(int x, int y, int r, int color, int fill) {
  if (DrawState.drawAreaEmpty) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();
  if (r < 0 || DrawState.softTarget == nullptr) return 0;
  const SoftDrawParams params = CurrentSoftDrawParams();
  SoftDrawCircle(DrawState.softTarget, &params, x, y, r, static_cast<std::uint32_t>(color), fill);
  return 0;
}
