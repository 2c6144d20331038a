// Rows of one colour in software: the filled shapes' spans through the same one-colour loops as
// the rectangle fill (the loop table's Fill rows), with the draw state's blend mode and tint.
#pragma once

#include <cstdint>

#include "mem_img.h"
#include "soft_draw.h"

// Pixels left..right-1 of row y; rows already inside the draw area.
struct FillSpan {
  int y, left, right;
};

// Fills `count` spans with the colour; none may overlap another. Nothing for a target the blits
// cannot draw on (paletted, with alpha, grey).
void SoftFillSpans(MEMIMG* dst, const FillSpan* spans, int count, std::uint32_t color, const SoftDrawParams& params);
// The area a shape's spans must stay in: the draw area inside the target.
Rect SoftShapeArea(const MEMIMG* dst, const SoftDrawParams& params);
