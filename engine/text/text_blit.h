// The one place text drawn into a work image reaches the software blit family.
#pragma once

#include "../graphics/soft/mem_img.h"

// Blends the work image onto the software draw image at (x, y) with transparency, the current
// blendMode and blendParam, clipped by drawArea.
void BlitTextWorkImage(MEMIMG* work, int x, int y);
