// The templates of shape_spans.h.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace shape_detail {

using Wide = __int128;

inline Wide FloorDiv(Wide a, Wide b) {  // b > 0
  Wide q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}

// One edge p → q of a triangle whose vertices run so that its area is positive in
// (x right, y down) coordinates: a point is inside when cross(q − p, point − p) > 0, or = 0 on
// a top edge (running right, level) or a left edge (running up).
struct Edge {
  std::int64_t px, py, dx, dy;
  bool ownsTies;
};

inline Edge MakeEdge(const ShapePoint& p, const ShapePoint& q) {
  Edge e{p.x, p.y, std::int64_t{q.x} - p.x, std::int64_t{q.y} - p.y, false};
  e.ownsTies = (e.dy == 0 && e.dx > 0) || e.dy < 0;
  return e;
}

// Narrows [*first, *last] of row y to the pixels inside the edge:
// dx·(y − py) − dy·(x − px) ≥ bias, bias 0 when the edge owns ties, else 1.
inline void Narrow(const Edge& e, std::int64_t y, std::int64_t* first, std::int64_t* last) {
  const Wide k = static_cast<Wide>(e.dx) * (y - e.py) + static_cast<Wide>(e.dy) * e.px;
  const Wide bias = e.ownsTies ? 0 : 1;
  // Condition: k − dy·x ≥ bias.
  if (e.dy == 0) {
    if (k < bias) *last = *first - 1;
    return;
  }
  if (e.dy > 0) {  // x ≤ (k − bias) / dy
    const Wide limit = FloorDiv(k - bias, e.dy);
    if (limit < *last) *last = static_cast<std::int64_t>(std::max<Wide>(limit, *first - 1));
  } else {  // x ≥ (bias − k) / −dy, rounded up
    const Wide m = -static_cast<Wide>(e.dy);
    const Wide limit = -FloorDiv(k - bias, m);
    if (limit > *first) *first = static_cast<std::int64_t>(std::min<Wide>(limit, *last + 1));
  }
}

}  // namespace shape_detail

template <class Emit>
void TriangleSpans(const ShapePoint& a, const ShapePoint& b, const ShapePoint& c, const Rect& area, Emit&& emit) {
  using namespace shape_detail;
  ShapePoint v[3] = {a, b, c};
  const Wide cross = static_cast<Wide>(std::int64_t{v[1].x} - v[0].x) * (std::int64_t{v[2].y} - v[0].y) -
                     static_cast<Wide>(std::int64_t{v[1].y} - v[0].y) * (std::int64_t{v[2].x} - v[0].x);
  if (cross == 0) return;
  if (cross < 0) std::swap(v[1], v[2]);
  const Edge edges[3] = {MakeEdge(v[0], v[1]), MakeEdge(v[1], v[2]), MakeEdge(v[2], v[0])};
  const std::int64_t top = std::max<std::int64_t>(std::min({v[0].y, v[1].y, v[2].y}), area.top);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{std::max({v[0].y, v[1].y, v[2].y})} + 1, area.bottom);
  const std::int64_t minX = std::max<std::int64_t>(std::min({v[0].x, v[1].x, v[2].x}), area.left);
  const std::int64_t maxX =
      std::min<std::int64_t>(std::int64_t{std::max({v[0].x, v[1].x, v[2].x})} + 1, area.right) - 1;
  for (std::int64_t y = top; y < bottom; ++y) {
    std::int64_t first = minX, last = maxX;
    for (const Edge& e : edges) Narrow(e, y, &first, &last);
    if (first <= last) emit(ShapeSpan{static_cast<int>(y), static_cast<int>(first), static_cast<int>(last + 1)});
  }
}

namespace shape_detail {

// Half-width of the oval's row dy, or −1 when the row is outside it.
inline std::int64_t OvalHalfWidth(std::int64_t dy, int rx, int ry) {
  const double ny = static_cast<double>(dy) / (ry + 0.5);
  const double rest = 1.0 - ny * ny;
  if (rest < 0) return -1;
  return static_cast<std::int64_t>(std::floor((rx + 0.5) * std::sqrt(rest)));
}

}  // namespace shape_detail

template <class Emit>
void OvalSpans(int cx, int cy, int rx, int ry, bool fill, const Rect& area, Emit&& emit) {
  using namespace shape_detail;
  if (rx < 0 || ry < 0) return;
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{cy} - ry, area.top);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{cy} + ry + 1, area.bottom);
  auto clipped = [&](std::int64_t y, std::int64_t left, std::int64_t right) {  // right exclusive
    left = std::max<std::int64_t>(left, area.left);
    right = std::min<std::int64_t>(right, area.right);
    if (left < right) emit(ShapeSpan{static_cast<int>(y), static_cast<int>(left), static_cast<int>(right)});
  };
  for (std::int64_t y = top; y < bottom; ++y) {
    const std::int64_t w = OvalHalfWidth(y - cy, rx, ry);
    if (w < 0) continue;
    const std::int64_t left = cx - w, right = cx + w + 1;
    if (fill) {
      clipped(y, left, right);
      continue;
    }
    // The rows above and below cover [cx − n, cx + n] with n the narrower of the two (−1 when
    // either is outside): what lies beyond it on this row is edge.
    const std::int64_t n = std::min(OvalHalfWidth(y - 1 - cy, rx, ry), OvalHalfWidth(y + 1 - cy, rx, ry));
    const std::int64_t innerLeft = std::max(cx - n, left + 1), innerRight = std::min(cx + n + 1, right - 1);
    if (n < 0 || innerLeft >= innerRight) {
      clipped(y, left, right);
    } else {
      clipped(y, left, innerLeft);
      clipped(y, innerRight, right);
    }
  }
}
