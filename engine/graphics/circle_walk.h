// The integer midpoint circle walk that both display back-ends draw DrawCircle by, so that they
// light the same pixels: the outline point by point, the disc row by row with each row handed
// over once (so that blending never touches a pixel twice). Only the standard library: the
// software renderer, the hardware back-end and the tests' models all include it.
//
// The walk covers one octant: from (x, y) = (0, r) with d = 3 − 2r, each step lowers y by one
// when d ≥ 0 (d += 4 − 4y first) and raises x by one (d += 4x + 6), while y ≥ x.
// - The outline: the four points on the axes at (±r, 0), (0, ±r), then for each step the eight
//   mirror images of (x, y), in the order below. Radius 0 gives its centre four times.
// - The disc: row 0 from −r to r, and at each state (x, y) rows ±x from −y to y; where the next
//   step lowers y (d ≥ 0), rows ±y from −x to x as well. A row reached again keeps its first
//   span, which is never narrower.
//
// A circle far bigger than the area costs work in proportion to the area, not to its radius:
// the steps that hand nothing over are jumped with a closed form of the walk (OctantJump).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace circle_walk {

// Every coordinate is 64-bit: centre ± radius must not overflow for any int inputs.
using Coord = std::int64_t;

// Pixels x in [left, right), y in [top, bottom).
struct Area {
  Coord left, top, right, bottom;
  bool Holds(Coord x, Coord y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The walk's state after step x (step 0 is the start).
struct Octant {
  explicit Octant(Coord radius) : x(0), y(radius), d(3 - 2 * radius) {}
  // The next step; false once the octant is done (y < x).
  bool Step() {
    if (d >= 0) d += 4 - 4 * y--;
    d += 4 * x++ + 6;
    return y >= x;
  }
  // Whether the next step lowers y.
  bool Lowers() const { return d >= 0; }
  Coord x, y, d;
};

// The offsets k ≥ 0 at which centre + k or centre − k falls inside [low, high): two ranges.
class OffsetBands {
 public:
  static constexpr Coord kNone = std::numeric_limits<Coord>::max();
  OffsetBands(Coord centre, Coord low, Coord high)
      : ranges_{{std::max<Coord>(low - centre, 0), high - 1 - centre},
                {std::max<Coord>(centre - high + 1, 0), centre - low}} {}
  // The smallest offset ≥ k inside a band, or kNone.
  Coord NextFrom(Coord k) const {
    Coord next = kNone;
    for (const Range& range : ranges_) {
      if (range.first <= range.last && k <= range.last) next = std::min(next, std::max(k, range.first));
    }
    return next;
  }
  // The largest offset ≤ k inside a band, or −1.
  Coord LastUpTo(Coord k) const {
    Coord last = -1;
    for (const Range& range : ranges_) {
      if (range.first <= range.last && k >= range.first) last = std::max(last, std::min(k, range.last));
    }
    return last;
  }

 private:
  struct Range {
    Coord first, last;
  };
  Range ranges_[2];
};

// Jumping ahead in the walk of a radius r ≥ 1. After each step d = 2(x + 1)² + y² + (y − 1)² − 2r²,
// and while y stays clear of the diagonal the y at x is the largest w with 2x² + w² + (w − 1)² < 2r².
// Both give the state at any x up to LastExact() without the steps before it.
class OctantJump {
 public:
  explicit OctantJump(Coord radius) : radius_(radius) {}

  // The largest x whose state the closed form gives exactly; the walk ends a step or two
  // after. Worked out on first use: a circle that never jumps never pays for it.
  Coord LastExact() const {
    if (lastExact_ < 0) {
      // Step x keeps the state exact when the y it starts from, YAt(x − 1), is at least x + 1:
      // lowering y by one then undoes the growth of d. That holds on a prefix of the steps.
      Coord low = 0, high = radius_ + 1;
      while (high - low > 1) {
        const Coord mid = low + (high - low) / 2;
        (YAt(mid - 1) >= mid + 1 ? low : high) = mid;
      }
      lastExact_ = low;
    }
    return lastExact_;
  }

  // The walk's y after step x, for 0 ≤ x ≤ LastExact().
  Coord YAt(Coord x) const {
    // Largest w with 2w² − 2w + 1 < k.
    const Wide k = 2 * Wide{radius_} * radius_ - 2 * Wide{x} * x;
    const auto below = [k](Wide w) { return 2 * w * w - 2 * w + 1 < k; };
    if (!below(0)) return -1;
    const long double guess = (1.0L + std::sqrt(std::max(0.0L, 2.0L * static_cast<long double>(k) - 1.0L))) / 2.0L;
    Wide w = static_cast<Wide>(std::min(guess, static_cast<long double>(radius_) + 1.0L));
    while (w > 0 && !below(w)) --w;
    while (below(w + 1)) ++w;
    return static_cast<Coord>(w);
  }

  // The last step whose y is at least y (−1 for none), for 0 ≤ y ≤ radius; exact where the
  // answer is at most LastExact().
  Coord LastStepWithYAtLeast(Coord y) const {
    // YAt(x) ≥ y exactly when y itself passes: 2x² < 2r² − y² − (y − 1)².
    const Wide m = 2 * Wide{radius_} * radius_ - Wide{y} * y - Wide{y - 1} * (y - 1);
    if (m <= 0) return -1;
    Wide x = static_cast<Wide>(std::sqrt(static_cast<long double>(m) / 2.0L));
    while (x > 0 && 2 * x * x >= m) --x;
    while (2 * (x + 1) * (x + 1) < m) ++x;
    return static_cast<Coord>(x);
  }

  // Moves the walk to step target when that is ahead of it, no further than LastExact().
  void MoveTo(Coord target, Octant* walk) const {
    if (target <= walk->x) return;
    target = std::min(target, LastExact());
    if (target <= walk->x) return;
    const Wide w = YAt(target), next = target + 1;
    walk->x = target;
    walk->y = static_cast<Coord>(w);
    walk->d = static_cast<Coord>(2 * next * next + w * w + (w - 1) * (w - 1) - 2 * Wide{radius_} * radius_);
  }

 private:
  using Wide = __int128;
  Coord radius_;
  mutable Coord lastExact_ = -1;
};

namespace detail {

inline bool SquareInside(Coord cx, Coord cy, Coord r, const Area& a) {
  return cx - r >= a.left && cx + r < a.right && cy - r >= a.top && cy + r < a.bottom;
}

inline bool SquareMisses(Coord cx, Coord cy, Coord r, const Area& a) {
  return cx + r < a.left || cx - r >= a.right || cy + r < a.top || cy - r >= a.bottom;
}

// kWhole: the circle lies wholly inside the area, so there is nothing to clip or jump.
template <bool kWhole, class Point>
inline void Outline(Coord cx, Coord cy, Coord r, const Area& a, Point& point) {
  auto plot = [&](Coord x, Coord y) __attribute__((always_inline)) {
    if (kWhole || a.Holds(x, y)) point(x, y);
  };
  plot(cx - r, cy);
  plot(cx + r, cy);
  plot(cx, cy + r);
  plot(cx, cy - r);
  const OctantJump jump(r);
  const OffsetBands columns(cx, a.left, a.right), rows(cy, a.top, a.bottom);
  Octant walk(r);
  for (;;) {
    if constexpr (!kWhole) {
      // A step's points lie x columns or x rows from the centre.
      const Coord next = std::min(columns.NextFrom(walk.x + 1), rows.NextFrom(walk.x + 1));
      if (next == OffsetBands::kNone) break;
      jump.MoveTo(next - 1, &walk);
    }
    if (!walk.Step()) break;
    const Coord x = walk.x, y = walk.y;
    plot(cx + x, cy + y);
    plot(cx - x, cy + y);
    plot(cx + x, cy - y);
    plot(cx - x, cy - y);
    plot(cx + y, cy + x);
    plot(cx - y, cy + x);
    plot(cx + y, cy - x);
    plot(cx - y, cy - x);
  }
}

template <bool kWhole, class Row>
inline void Disc(Coord cx, Coord cy, Coord r, const Area& a, Row& row) {
  // Rows handed over once each: a row is reached twice only where a step's rows ±y are its rows
  // ±x (y = x), and at radius 0.
  auto span = [&](Coord y, Coord half) __attribute__((always_inline)) {
    if constexpr (kWhole) {
      row(y, cx - half, cx + half + 1);
    } else {
      if (y < a.top || y >= a.bottom) return;
      const Coord from = std::max(cx - half, a.left), to = std::min(cx + half + 1, a.right);
      if (from < to) row(y, from, to);
    }
  };
  Octant walk(r);
  span(cy, r);
  if (walk.Lowers() && r > 0) {
    span(cy + r, 0);
    span(cy - r, 0);
  }
  const OctantJump jump(r);
  const OffsetBands rowBands(cy, a.top, a.bottom);
  // Rows y from the centre are drawn x wide, at the last step of each y, and reach the area
  // only once x does. Every step before the one returned hands nothing over.
  const Coord reachX = std::max<Coord>({0, a.left - cx, cx - a.right + 1});
  auto nextStep = [&](Coord from) {
    const Coord next = rowBands.NextFrom(from);
    if (next == from) return from;
    const Coord start = std::max(from, reachX);
    const Coord lastExact = jump.LastExact();
    if (start > lastExact) return std::min(next, std::max(from, lastExact + 1));
    // The walk's y only falls, one at a time: the first row to draw is the highest y of a
    // band that it still reaches.
    const Coord rowY = rowBands.LastUpTo(jump.YAt(start));
    if (rowY < 0) return next;
    return std::min(next, std::min(jump.LastStepWithYAtLeast(rowY), lastExact));
  };
  for (;;) {
    if constexpr (!kWhole) {
      const Coord next = nextStep(walk.x + 1);
      if (next == OffsetBands::kNone) break;
      jump.MoveTo(next - 1, &walk);
    }
    if (!walk.Step()) break;
    span(cy + walk.x, walk.y);
    span(cy - walk.x, walk.y);
    if (walk.Lowers() && walk.y != walk.x) {
      span(cy + walk.y, walk.x);
      span(cy - walk.y, walk.x);
    }
  }
}

}  // namespace detail

// Hands each point of the outline of radius r ≥ 0 that lies inside the area to point(x, y), in
// the walk's order; a point reached twice is handed over twice.
template <class Point>
void WalkOutline(Coord cx, Coord cy, Coord r, const Area& area, Point&& point) {
  if (r < 0 || detail::SquareMisses(cx, cy, r, area)) return;
  if (detail::SquareInside(cx, cy, r, area)) {
    detail::Outline<true>(cx, cy, r, area, point);
  } else {
    detail::Outline<false>(cx, cy, r, area, point);
  }
}

// Hands each row of the disc of radius r ≥ 0 that reaches the area to row(y, left, right) once,
// its pixels [left, right) cut to the area, in the walk's order.
template <class Row>
void WalkDisc(Coord cx, Coord cy, Coord r, const Area& area, Row&& row) {
  if (r < 0 || detail::SquareMisses(cx, cy, r, area)) return;
  if (detail::SquareInside(cx, cy, r, area)) {
    detail::Disc<true>(cx, cy, r, area, row);
  } else {
    detail::Disc<false>(cx, cy, r, area, row);
  }
}

}  // namespace circle_walk
