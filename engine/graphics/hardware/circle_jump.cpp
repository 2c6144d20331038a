#include "circle_jump.h"

#include <algorithm>
#include <cmath>

namespace {

using Wide = __int128;

}  // namespace

OffsetBands::OffsetBands(std::int64_t centre, std::int64_t low, std::int64_t high)
    : ranges_{{std::max<std::int64_t>(low - centre, 0), high - 1 - centre},
              {std::max<std::int64_t>(centre - high + 1, 0), centre - low}} {}

std::int64_t OffsetBands::NextFrom(std::int64_t k) const {
  std::int64_t next = kNone;
  for (const Range& range : ranges_) {
    if (range.first <= range.last && k <= range.last) next = std::min(next, std::max(k, range.first));
  }
  return next;
}

std::int64_t OffsetBands::LastUpTo(std::int64_t k) const {
  std::int64_t last = -1;
  for (const Range& range : ranges_) {
    if (range.first <= range.last && k >= range.first) last = std::max(last, std::min(k, range.last));
  }
  return last;
}

CircleJump::CircleJump(std::int64_t radius) : radius_(radius), lastExact_(0) {
  // Step x keeps the state exact when the y it starts from, YAt(x − 1), is at least x + 1:
  // lowering y by one then undoes the growth of d. That holds on a prefix of the steps.
  std::int64_t low = 0, high = radius + 1;
  while (high - low > 1) {
    const std::int64_t mid = low + (high - low) / 2;
    (YAt(mid - 1) >= mid + 1 ? low : high) = mid;
  }
  lastExact_ = low;
}

std::int64_t CircleJump::YAt(std::int64_t x) const {
  // Largest w with 2w² − 2w + 1 < k.
  const Wide k = 2 * Wide{radius_} * radius_ - 2 * Wide{x} * x;
  const auto below = [k](Wide w) { return 2 * w * w - 2 * w + 1 < k; };
  if (!below(0)) return -1;
  const long double guess = (1.0L + std::sqrt(std::max(0.0L, 2.0L * static_cast<long double>(k) - 1.0L))) / 2.0L;
  Wide w = static_cast<Wide>(std::min(guess, static_cast<long double>(radius_) + 1.0L));
  while (w > 0 && !below(w)) --w;
  while (below(w + 1)) ++w;
  return static_cast<std::int64_t>(w);
}

std::int64_t CircleJump::LastStepWithYAtLeast(std::int64_t y) const {
  // YAt(x) ≥ y exactly when y itself passes: 2x² < 2r² − y² − (y − 1)².
  const Wide m = 2 * Wide{radius_} * radius_ - Wide{y} * y - Wide{y - 1} * (y - 1);
  if (m <= 0) return -1;
  Wide x = static_cast<Wide>(std::sqrt(static_cast<long double>(m) / 2.0L));
  while (x > 0 && 2 * x * x >= m) --x;
  while (2 * (x + 1) * (x + 1) < m) ++x;
  return static_cast<std::int64_t>(x);
}

void CircleJump::MoveTo(std::int64_t target, std::int64_t* x, std::int64_t* y, std::int64_t* d) const {
  target = std::min(target, lastExact_);
  if (target <= *x) return;
  const Wide w = YAt(target), next = target + 1;
  *x = target;
  *y = static_cast<std::int64_t>(w);
  *d = static_cast<std::int64_t>(2 * next * next + w * w + (w - 1) * (w - 1) - 2 * Wide{radius_} * radius_);
}
