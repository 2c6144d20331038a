// An image drawn through a triangle at any position, rotation and scale, sampled nearest or
// bilinear. Positions follow Direct3D 9's rules (pixel centres at integer coordinates, a centre
// on an edge inside only on a top or a left edge) and are evaluated exactly as the hardware
// back-end's rasteriser does, so both back-ends cover the same pixels.
#pragma once

#include "mem_img.h"
#include "soft_draw.h"

struct MappedVertex {
  float x, y;   // on the target, pixel centres at integer coordinates
  double u, v;  // in source pixels: (0, 0) the source's top-left corner
};

// transparent: 1 honours the source's transparent colour or alpha; bilinear: 1 mixes the four
// texels round each sample as the hardware's linear filter does, clamped at the source's edges.
void SoftDrawImageMapped(MEMIMG* dst, const MEMIMG* src, const MappedVertex vertices[3], int transparent, int bilinear,
                         const SoftDrawParams& params);
