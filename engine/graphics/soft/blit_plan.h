// One blit request resolved into the loops that will run it: checked images, the draw area
// inside the target, the simplified operation and the span functions per source kind.
#pragma once

#include <cstdint>

#include "blit_op.h"
#include "mem_img.h"
#include "soft_draw.h"

struct BlitPlan {
  int bits;  // 32 or 16
  int srcBytes;
  Rect area;  // the draw area, inside the target
  BlitContext ctx;
  BlitSpanFn pixelSpan;        // per-pixel path
  BlitSpanFn opaqueSpan;       // run-code path, opaque runs
  BlitSpanFn translucentSpan;  // run-code path, translucent runs (alpha sources)
  const MemImgShared* graph;   // null without a blend graph
};

// Valid target of the blit and fill routines: Color16 or Color32, neither paletted nor alpha.
bool IsBlitTarget(const MEMIMG* dst);
// The draw area clipped to the target's bounds.
Rect TargetArea(const MEMIMG* dst, const SoftDrawParams& params);
// Clip a rectangle given in 64-bit coordinates against area; false when nothing remains.
bool ClipToArea(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, const Rect& area,
                Rect* out);

// False when the request draws nothing: bad images, mismatched types, modes or parameters
// that change no pixel, a blend graph that cannot cover the source.
bool PlanBlit(const MEMIMG* dst, const MEMIMG* src, int transparent, const MEMIMG* graph, const SoftDrawParams& params,
              BlitPlan* plan);

// Address of pixel (x, y) of a view.
inline std::uint8_t* PixelAt(const MEMIMG* image, int x, int y, int bytes) {
  return image->pixels + static_cast<std::ptrdiff_t>(y) * image->shared->pitch + static_cast<std::ptrdiff_t>(x) * bytes;
}
