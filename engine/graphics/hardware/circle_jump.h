// Jumping ahead in the midpoint circle walk of the hardware back-end, so that a circle far
// bigger than the draw area costs work in proportion to the area, not to its radius.
#pragma once

#include <cstdint>
#include <limits>

// The offsets k ≥ 0 at which centre + k or centre − k falls inside [low, high): two ranges.
class OffsetBands {
 public:
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  OffsetBands(std::int64_t centre, std::int64_t low, std::int64_t high);
  // The smallest offset ≥ k inside a band, or kNone.
  std::int64_t NextFrom(std::int64_t k) const;
  // The largest offset ≤ k inside a band, or −1.
  std::int64_t LastUpTo(std::int64_t k) const;

 private:
  struct Range {
    std::int64_t first, last;
  };
  Range ranges_[2];
};

// The walk of one octant for a radius r ≥ 1: from (0, r) with d = 3 − 2r, each step lowers y
// by one when d ≥ 0 (d += 4 − 4y first) and raises x by one (d += 4x + 6). After each step
// d = 2(x + 1)² + y² + (y − 1)² − 2r², and while y stays clear of the diagonal the y at x is
// the largest w with 2x² + w² + (w − 1)² < 2r². Both give the state at any x up to
// LastExact() without the steps before it.
class CircleJump {
 public:
  explicit CircleJump(std::int64_t radius);
  // The largest x whose state the closed form gives exactly; the walk ends a step or two after.
  std::int64_t LastExact() const { return lastExact_; }
  // The walk's y after step x, for 0 ≤ x ≤ LastExact().
  std::int64_t YAt(std::int64_t x) const;
  // The last step whose y is at least y (−1 for none), for 0 ≤ y ≤ radius; exact where the
  // answer is at most LastExact().
  std::int64_t LastStepWithYAtLeast(std::int64_t y) const;
  // Moves the state (x, y, d) to step target when that is ahead of x, no further than
  // LastExact().
  void MoveTo(std::int64_t target, std::int64_t* x, std::int64_t* y, std::int64_t* d) const;

 private:
  std::int64_t radius_;
  std::int64_t lastExact_;
};
