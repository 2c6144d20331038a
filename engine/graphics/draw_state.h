// DrawState: the record every drawing operation consults.
#pragma once

#include <cstdint>

#include "soft/mem_img.h"
#include "soft/soft_draw.h"
#include "vornek.h"  // GetDrawTarget, SetClipArea, SetBlendMode, SetTint

struct DrawStateRecord {
  int drawScreen;  // ScreenFront, ScreenBack or a graphic handle
  int drawScreenWidth, drawScreenHeight;
  Rect drawArea;  // always inside the target; right and bottom exclusive
  float drawAreaF[4];
  int drawAreaEmpty;
  int blendMode;
  int blendParam;
  std::uint8_t tint[3];  // red, green, blue
  float depth2D;
  int clipArguments[4];  // the last SetClipArea call, re-applied when the window moves
  MEMIMG* softTarget;    // the software draw image
};

extern DrawStateRecord DrawState;

int InitDrawState();

// What the software renderer needs of the draw state for one primitive.
SoftDrawParams CurrentSoftDrawParams();
