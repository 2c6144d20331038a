#include "text_blit.h"

#include "../graphics/draw_state.h"
#include "../graphics/soft/soft_blit.h"

void BlitTextWorkImage(MEMIMG* work, int x, int y) {
  if (DrawState.softTarget == nullptr) return;
  SoftDrawImage(DrawState.softTarget, work, x, y, 1, nullptr, CurrentSoftDrawParams());
}
