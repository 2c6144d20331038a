// Subtraction on a device that has no subtracting blend: the drawing's box is inverted before
// the draw and after it, the draw itself adding. Callers need not know the back-end: where no
// emulation is needed (the software back-end, or a device that subtracts) only the draw runs.
#pragma once

#include "blend_modes.h"

// True when the hardware back-end draws with subtraction on a device that cannot subtract.
bool NeedsSubtractEmulation();
// One inversion of the box; the blend mode is then set to finalMode at the current parameter.
void SubtractEmulationStep(int left, int top, int right, int bottom, int finalMode);

// Runs draw(), which returns an int, inside the emulation's two steps when they are needed.
template <class Draw>
int DrawSubtracting(int left, int top, int right, int bottom, Draw&& draw) {
  if (!NeedsSubtractEmulation()) return draw();
  SubtractEmulationStep(left, top, right, bottom, BlendModeSubtractMiddle);
  const int result = draw();
  SubtractEmulationStep(left, top, right, bottom, BlendModeSubtract);
  return result;
}
