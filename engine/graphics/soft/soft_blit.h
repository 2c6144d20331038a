// The software blit and fill routines: images drawn whole, stretched or through a triangle,
// and solid rectangles, onto a Color16 or Color32 target inside the draw area.
#pragma once

#include <cstdint>

#include "mem_img.h"
#include "soft_draw.h"

// Triangle vertex: destination position and source texel coordinates.
struct SoftVertex {
  int x, y, u, v;
};

// transparent: 1 honours the source's transparent colour or alpha. graph: a Gray8 image at
// least the source's size, or null.
void SoftDrawImage(MEMIMG* dst, const MEMIMG* src, int x, int y, int transparent, const MEMIMG* graph,
                   const SoftDrawParams& params);
// A rectangle given right-to-left or bottom-to-top mirrors the image.
void SoftDrawImageScaled(MEMIMG* dst, const MEMIMG* src, const Rect& rect, int transparent, const MEMIMG* graph,
                         const SoftDrawParams& params);
void SoftDrawImageTriangle(MEMIMG* dst, const MEMIMG* src, const SoftVertex vertices[3], int transparent,
                           const MEMIMG* graph, const SoftDrawParams& params);
// rect null: the whole image.
void SoftFillRect(MEMIMG* dst, const Rect* rect, std::uint32_t color, const SoftDrawParams& params);
