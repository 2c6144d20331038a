// Direct3D 9's pixel rules for points, lines, triangles and narrow channels (see d3d9_pixel_rules.h).
#include "d3d9_pixel_rules.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace d3d9rules {
namespace {

// Points along a line are computed, not given: this much off a diamond's edge is on it.
constexpr double OnEdge = 1e-9;

// Whether (x, y) belongs to pixel (i, j)'s test diamond.
bool InDiamond(double x, double y, int i, int j, bool yMajor) {
  const double dx = x - i, dy = y - j;
  const double distance = std::fabs(dx) + std::fabs(dy);
  if (distance < 0.5 - OnEdge) return true;
  if (distance > 0.5 + OnEdge) return false;
  if (dy > OnEdge) return true;                        // lower edges, bottom corner
  return yMajor && std::fabs(dy) <= OnEdge && dx > 0;  // right corner
}

// The parameters t in [0, 1] for which a + t (b − a) lies in the diamond |x − i| + |y − j| < ½
// (open) or ≤ ½ (closed); false when there are none.
bool ClipToDiamond(double ax, double ay, double bx, double by, int i, int j, bool closed, double* lo, double* hi) {
  *lo = 0;
  *hi = 1;
  const double dx = bx - ax, dy = by - ay;
  for (int sx = -1; sx <= 1; sx += 2) {
    for (int sy = -1; sy <= 1; sy += 2) {
      // sx (x − i) + sy (y − j) against ½ along the segment.
      const double start = sx * (ax - i) + sy * (ay - j), slope = sx * dx + sy * dy;
      if (slope == 0) {
        if (closed ? start > 0.5 : start >= 0.5) return false;
        continue;
      }
      const double bound = (0.5 - start) / slope;
      if (slope > 0) {
        *hi = std::min(*hi, bound);
      } else {
        *lo = std::max(*lo, bound);
      }
    }
  }
  return closed ? *lo <= *hi : *lo < *hi;
}

}  // namespace

PixelPosition PointPixel(float x, float y) {
  return {static_cast<int>(std::ceil(static_cast<double>(x) - 0.5)),
          static_cast<int>(std::ceil(static_cast<double>(y) - 0.5))};
}

bool LineLightsPixel(double ax, double ay, double bx, double by, int i, int j) {
  const bool yMajor = std::fabs(by - ay) > std::fabs(bx - ax);
  if (InDiamond(bx, by, i, j, yMajor)) return false;  // it ends inside: it never leaves
  double lo = 0, hi = 0;
  if (ClipToDiamond(ax, ay, bx, by, i, j, false, &lo, &hi)) return true;
  // Only the diamond's outline is touched: along one edge or at one point, whose middle tells
  // whether that part of the outline belongs to the diamond.
  if (!ClipToDiamond(ax, ay, bx, by, i, j, true, &lo, &hi)) return false;
  const double t = (lo + hi) / 2;
  return InDiamond(ax + t * (bx - ax), ay + t * (by - ay), i, j, yMajor);
}

void ForEachLinePixel(double ax, double ay, double bx, double by, const std::function<void(int, int)>& visit) {
  const double dx = bx - ax, dy = by - ay;
  if (dx == 0 && dy == 0) return;
  const bool xMajor = std::fabs(dx) >= std::fabs(dy);
  const double a = xMajor ? ax : ay, b = xMajor ? bx : by;
  const double aMinor = xMajor ? ay : ax, slope = xMajor ? dy / dx : dx / dy;
  const int step = b >= a ? 1 : -1;
  // A diamond the line touches lies within half a pixel of it on both axes.
  const int from = step > 0 ? static_cast<int>(std::floor(a)) - 1 : static_cast<int>(std::ceil(a)) + 1;
  const int to = step > 0 ? static_cast<int>(std::ceil(b)) + 1 : static_cast<int>(std::floor(b)) - 1;
  for (int major = from; major != to + step; major += step) {
    const int minor = static_cast<int>(std::floor(aMinor + (major - a) * slope));
    for (int m = minor - 1; m <= minor + 2; ++m) {
      const int i = xMajor ? major : m, j = xMajor ? m : major;
      if (LineLightsPixel(ax, ay, bx, by, i, j)) visit(i, j);
    }
  }
}

bool InsideEdge(double px, double py, double qx, double qy, double x, double y) {
  const double e = (qx - px) * (y - py) - (qy - py) * (x - px);
  if (e != 0) return e > 0;
  const bool top = qy == py && qx > px;  // clockwise on the screen: a top edge runs right
  const bool left = qy < py;             // ... and a left edge runs up
  return top || left;
}

namespace {

// The corners turned clockwise on the screen; false for a triangle of no area.
bool Clockwise(double& x1, double& y1, double& x2, double& y2, double x0, double y0) {
  const double area = (x1 - x0) * (y2 - y0) - (y1 - y0) * (x2 - x0);
  if (area == 0) return false;
  if (area < 0) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  return true;
}

bool InsideClockwise(double x0, double y0, double x1, double y1, double x2, double y2, int i, int j) {
  return InsideEdge(x0, y0, x1, y1, i, j) && InsideEdge(x1, y1, x2, y2, i, j) && InsideEdge(x2, y2, x0, y0, i, j);
}

}  // namespace

void ForEachTrianglePixel(double x0, double y0, double x1, double y1, double x2, double y2,
                          const std::function<void(int, int)>& visit) {
  if (!Clockwise(x1, y1, x2, y2, x0, y0)) return;
  const int left = static_cast<int>(std::floor(std::min({x0, x1, x2}))) - 1;
  const int right = static_cast<int>(std::ceil(std::max({x0, x1, x2}))) + 1;
  const int top = static_cast<int>(std::floor(std::min({y0, y1, y2}))) - 1;
  const int bottom = static_cast<int>(std::ceil(std::max({y0, y1, y2}))) + 1;
  for (int j = top; j <= bottom; ++j) {
    for (int i = left; i <= right; ++i) {
      if (InsideClockwise(x0, y0, x1, y1, x2, y2, i, j)) visit(i, j);
    }
  }
}

std::uint32_t WidenChannel(std::uint32_t value, int bits) {
  if (bits >= 8) return value;
  if (bits <= 0) return 0xFF;
  const std::uint32_t max = (1u << bits) - 1;
  return (value * 255 + max / 2) / max;
}

}  // namespace d3d9rules
