// Slow, literal model of the image blits and the rectangle fill, pixel by pixel on MEMIMGs,
// written from the drawing rules with the shared tables: every destination pixel is worked out
// on its own (sample, transparency, weights, brightness, mode). The fast loops are compared
// against it.
#pragma once

#include "graphics/soft/mem_img.h"
#include "graphics/soft/soft_draw.h"

namespace blit_reference {

void DrawImage(MEMIMG* dst, const MEMIMG* src, int x, int y, int transparent, const MEMIMG* graph,
               const SoftDrawParams& params);
void DrawImageScaled(MEMIMG* dst, const MEMIMG* src, const Rect& rect, int transparent, const MEMIMG* graph,
                     const SoftDrawParams& params);
void FillRect(MEMIMG* dst, const Rect* rect, std::uint32_t color, const SoftDrawParams& params);

}  // namespace blit_reference
