// Spans whose source pixels are not side by side (scaled and triangle drawing): the source
// pixels and blend-graph bytes are gathered into a small buffer, then the same span function
// as the unscaled blit runs over it.
#pragma once

#include <cstdint>
#include <cstring>

#include "blit_plan.h"

struct Texel {
  int x, y;  // inside the source
};

// texelAt(i) gives the source pixel for destination pixel (x + i, y), called in order of i.
template <class TexelAt>
void DrawGatheredSpan(MEMIMG* dst, const MEMIMG* src, const MEMIMG* graph, const BlitPlan& plan, int x, int y,
                      int count, TexelAt&& texelAt) {
  constexpr int chunk = 256;
  alignas(16) std::uint8_t pixels[chunk * 4];
  std::uint8_t weights[chunk];
  const int dstBytes = plan.bits / 8;
  const int srcBytes = plan.srcBytes;
  for (int done = 0; done < count;) {
    const int n = count - done < chunk ? count - done : chunk;
    for (int i = 0; i < n; ++i) {
      const Texel t = texelAt(done + i);
      std::memcpy(pixels + i * srcBytes, PixelAt(src, t.x, t.y, srcBytes), static_cast<std::size_t>(srcBytes));
      if (graph != nullptr) weights[i] = *PixelAt(graph, t.x, t.y, 1);
    }
    plan.pixelSpan(PixelAt(dst, x + done, y, dstBytes), pixels, graph != nullptr ? weights : nullptr, n, plan.ctx);
    done += n;
  }
}
