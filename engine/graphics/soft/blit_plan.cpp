#include "blit_plan.h"

#include <algorithm>
#include <cstring>

#include "blend_graph.h"
#include "loop_table.h"
#include "vornek.h"

namespace {

// Palette of the image being drawn, copied at the start of each call.
std::uint32_t PaletteScratch[256];

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

bool IsBlitTarget(const MEMIMG* dst) {
  if (dst == nullptr || !IsMemImgValid(dst)) return false;
  const MemImgShared* s = dst->shared;
  return (s->colorType == Color16 || s->colorType == Color32) && !s->paletted && !s->hasAlpha;
}

Rect TargetArea(const MEMIMG* dst, const SoftDrawParams& params) {
  Rect area = params.drawArea;
  const Rect bounds{0, 0, dst->width, dst->height};
  ClipRect(&area, &bounds);
  return area;
}

bool ClipToArea(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, const Rect& area,
                Rect* out) {
  // Coordinates beyond 32 bits are pulled in first; the area lies inside the target, so this
  // changes nothing that can be drawn.
  Rect r{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
  ClipRect(&r, &area);
  *out = r;
  return r.left < r.right && r.top < r.bottom;
}

bool PlanBlit(const MEMIMG* dst, const MEMIMG* src, int transparent, const MEMIMG* graph, const SoftDrawParams& params,
              BlitPlan* plan) {
  if (!IsBlitTarget(dst) || src == nullptr || !IsMemImgValid(src)) return false;
  const MemImgShared* s = src->shared;
  if (s->colorType != dst->shared->colorType) return false;
  if (s->paletted && s->palette == nullptr) return false;
  if (graph != nullptr) {
    if (!IsMemImgValid(graph) || graph->shared->colorType != Gray8 || graph->width < src->width ||
        graph->height < src->height) {
      return false;
    }
  }

  const int bits = s->colorType == Color32 ? 32 : 16;
  const bool hasGraph = graph != nullptr;
  const bool sourceAlpha = s->hasAlpha != 0 && !s->paletted;
  const bool bright = !(params.bright[0] == 255 && params.bright[1] == 255 && params.bright[2] == 255);
  const int p = std::clamp(params.blendParam, 0, 255);
  const BlendOp op = SimplifyBlend(params.blendMode, p, !sourceAlpha && !hasGraph && !bright, bits);
  if (op == BlendOp::Nothing) return false;

  plan->area = TargetArea(dst, params);
  plan->bits = bits;
  plan->graph = hasGraph ? graph->shared : nullptr;
  plan->ctx.transColor = s->transColor;
  plan->ctx.param = static_cast<std::uint32_t>(p);
  plan->ctx.graphTable = BlendGraphTable;
  plan->ctx.bright[0] = params.bright[2];
  plan->ctx.bright[1] = params.bright[1];
  plan->ctx.bright[2] = params.bright[0];
  plan->ctx.palette = PaletteScratch;

  const bool keyed = transparent == 1;
  const SourceKind direct = (bits == 16 && sourceAlpha) ? SourceKind::DirectWide : SourceKind::Direct;
  SourceKind pixelKind, opaqueKind;
  if (s->paletted) {
    // All 256 entries: an index past paletteCount then reads this image's palette, never a
    // previous image's leftovers.
    std::memcpy(PaletteScratch, s->palette, sizeof PaletteScratch);
    pixelKind = keyed ? SourceKind::PaletteKeyed : SourceKind::Palette;
    opaqueKind = SourceKind::Palette;
    plan->srcBytes = 1;
  } else if (sourceAlpha) {
    if (keyed) {
      pixelKind = SourceKind::AlphaKeyed;
    } else {
      pixelKind = (op == BlendOp::Copy && !hasGraph) ? direct : SourceKind::Alpha;
    }
    opaqueKind = direct;
    plan->srcBytes = 4;
  } else {
    pixelKind = keyed ? SourceKind::Keyed : SourceKind::Direct;
    opaqueKind = SourceKind::Direct;
    plan->srcBytes = bits / 8;
  }
  plan->pixelSpan = FindBlitSpan(bits, op, pixelKind, hasGraph, bright);
  plan->opaqueSpan = FindBlitSpan(bits, op, opaqueKind, hasGraph, bright);
  plan->translucentSpan = sourceAlpha ? FindBlitSpan(bits, op, SourceKind::Alpha, hasGraph, bright) : nullptr;
  return plan->pixelSpan != nullptr && plan->opaqueSpan != nullptr;
}
