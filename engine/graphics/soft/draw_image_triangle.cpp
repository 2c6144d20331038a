// SoftDrawImageTriangle: a source triangle mapped affinely onto a destination triangle.
//
// A pixel belongs to the triangle when its centre (x + 0.5, y + 0.5) lies inside. A centre on
// an edge belongs to the triangle on one side only, chosen by the edge's direction, so two
// triangles sharing an edge (a quadrilateral) cover each of its pixels exactly once.
// Edge functions are evaluated in doubled integer coordinates, 128-bit wide, so any 32-bit
// vertex is exact. The texel is the affine (u, v) at the pixel centre, rounded down and kept
// inside the source.
#include <algorithm>
#include <cmath>
#include <utility>

#include "blit_gather.h"
#include "soft_blit.h"

namespace {

using Wide = __int128;

struct Edge {
  std::int64_t ax, ay, dx, dy;
  bool ownsTies;
};

Edge MakeEdge(const SoftVertex& a, const SoftVertex& b) {
  Edge e{a.x, a.y, static_cast<std::int64_t>(b.x) - a.x, static_cast<std::int64_t>(b.y) - a.y, false};
  e.ownsTies = e.dy > 0 || (e.dy == 0 && e.dx < 0);
  return e;
}

Wide FloorDiv(Wide a, Wide b) {  // b > 0
  Wide q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

// Narrows [*first, *last] of row y to the pixels on the inner side of the edge.
// Inside: dx·(2y + 1 − 2ay) − dy·(2x + 1 − 2ax) > 0, or = 0 when the edge owns ties.
void Narrow(const Edge& e, std::int64_t y, std::int64_t* first, std::int64_t* last) {
  const Wide k = static_cast<Wide>(e.dx) * (2 * y + 1 - 2 * e.ay) - static_cast<Wide>(e.dy) * (1 - 2 * e.ax);
  const Wide bias = e.ownsTies ? 0 : 1;
  // Condition: k − 2·dy·x ≥ bias.
  if (e.dy == 0) {
    if (k < bias) *last = *first - 1;
    return;
  }
  if (e.dy > 0) {
    const Wide limit = FloorDiv(k - bias, 2 * static_cast<Wide>(e.dy));
    if (limit < *last) *last = static_cast<std::int64_t>(std::max<Wide>(limit, *first - 1));
  } else {
    const Wide m = -2 * static_cast<Wide>(e.dy);
    const Wide limit = -FloorDiv(k - bias, m);  // ceil((bias − k) / m)
    if (limit > *first) *first = static_cast<std::int64_t>(std::min<Wide>(limit, *last + 1));
  }
}

int TexelIndex(double t, int size) {
  const double f = std::floor(t);
  if (!(f >= 0)) return 0;  // also NaN
  if (f >= size - 1) return size - 1;
  return static_cast<int>(f);
}

}  // namespace

void SoftDrawImageTriangle(MEMIMG* dst, const MEMIMG* src, const SoftVertex vertices[3], int transparent,
                           const MEMIMG* graph, const SoftDrawParams& params) {
  if (vertices == nullptr) return;
  BlitPlan plan;
  if (!PlanBlit(dst, src, transparent, graph, params, &plan)) return;
  if (src->width <= 0 || src->height <= 0) return;

  SoftVertex v[3] = {vertices[0], vertices[1], vertices[2]};
  const Wide cross =
      static_cast<Wide>(static_cast<std::int64_t>(v[1].x) - v[0].x) * (static_cast<std::int64_t>(v[2].y) - v[0].y) -
      static_cast<Wide>(static_cast<std::int64_t>(v[2].x) - v[0].x) * (static_cast<std::int64_t>(v[1].y) - v[0].y);
  if (cross == 0) return;
  if (cross < 0) std::swap(v[1], v[2]);
  const Edge edges[3] = {MakeEdge(v[0], v[1]), MakeEdge(v[1], v[2]), MakeEdge(v[2], v[0])};

  // Texture gradients in double precision from the edge vectors.
  const double e1x = static_cast<double>(v[1].x) - v[0].x, e1y = static_cast<double>(v[1].y) - v[0].y;
  const double e2x = static_cast<double>(v[2].x) - v[0].x, e2y = static_cast<double>(v[2].y) - v[0].y;
  const double du1 = static_cast<double>(v[1].u) - v[0].u, du2 = static_cast<double>(v[2].u) - v[0].u;
  const double dv1 = static_cast<double>(v[1].v) - v[0].v, dv2 = static_cast<double>(v[2].v) - v[0].v;
  const double det = e1x * e2y - e2x * e1y;
  const double dudx = (du1 * e2y - du2 * e1y) / det, dudy = (du2 * e1x - du1 * e2x) / det;
  const double dvdx = (dv1 * e2y - dv2 * e1y) / det, dvdy = (dv2 * e1x - dv1 * e2x) / det;

  const std::int64_t minY = std::min({v[0].y, v[1].y, v[2].y}), maxY = std::max({v[0].y, v[1].y, v[2].y});
  const std::int64_t minX = std::min({v[0].x, v[1].x, v[2].x}), maxX = std::max({v[0].x, v[1].x, v[2].x});
  const std::int64_t top = std::max<std::int64_t>(minY, plan.area.top);
  const std::int64_t bottom = std::min<std::int64_t>(maxY, plan.area.bottom);
  for (std::int64_t y = top; y < bottom; ++y) {
    std::int64_t first = std::max<std::int64_t>(minX, plan.area.left);
    std::int64_t last = std::min<std::int64_t>(maxX, plan.area.right) - 1;
    for (const Edge& e : edges) Narrow(e, y, &first, &last);
    if (first > last) continue;
    const double cy = static_cast<double>(y) + 0.5 - v[0].y;
    const double uRow = v[0].u + dudy * cy, vRow = v[0].v + dvdy * cy;
    DrawGatheredSpan(
        dst, src, graph, plan, static_cast<int>(first), static_cast<int>(y), static_cast<int>(last - first + 1),
        [&](int i) {
          const double cx = static_cast<double>(first + i) + 0.5 - v[0].x;
          return Texel{TexelIndex(uRow + dudx * cx, src->width), TexelIndex(vRow + dvdx * cx, src->height)};
        });
  }
}
