#include "gl_geometry.h"

#include <algorithm>
#include <cmath>

namespace gl {

namespace {

// Walks a line along its major axis. In the walk's own frame the major coordinate p grows
// from p1 to p2 and the minor coordinate is q(p) = q1 + m (p − p1) with |m| ≤ 1. At each pixel
// column i the line crosses the diamond of row j = the row q(i) rounds to; it leaves that
// diamond at p = i + b, b in [0, 0.5]. A pixel is drawn when the line leaves its diamond
// within the segment: p1 < i + b ≤ p2. A line that only grazes a diamond's corner (q(i)
// exactly half-way between two rows) counts for the row below, so no column is ever skipped.
template <typename Emit>
void WalkLine(double ax, double ay, double bx, double by, const PixelBounds& bounds, Emit emit) {
  if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return;
  const double dx = bx - ax, dy = by - ay;
  const bool xMajor = std::fabs(dx) >= std::fabs(dy);
  const double dMajor = xMajor ? dx : dy;
  if (dMajor == 0) return;  // both ends in one diamond: nothing leaves it
  const int s = dMajor > 0 ? 1 : -1;
  const double p1 = s * (xMajor ? ax : ay), p2 = s * (xMajor ? bx : by);
  const double q1 = xMajor ? ay : ax;
  const double m = (xMajor ? dy : dx) / std::fabs(dMajor);

  // Columns that can hold a drawn pixel, narrowed to the bounds on the major axis.
  const int lowMajor = xMajor ? bounds.left : bounds.top;
  const int highMajor = (xMajor ? bounds.right : bounds.bottom) - 1;
  const int lowMinor = xMajor ? bounds.top : bounds.left;
  const int highMinor = (xMajor ? bounds.bottom : bounds.right) - 1;
  double first = std::floor(p1 - 0.5), last = std::floor(p2);
  // The bounds in the walk's frame (mirrored when walking backwards).
  const double boundLow = s > 0 ? lowMajor : -highMajor, boundHigh = s > 0 ? highMajor : -lowMajor;
  first = std::max(first, boundLow);
  last = std::min(last, boundHigh);
  for (double i = first; i <= last; i += 1) {
    const double q = q1 + m * (i - p1);
    const double j = std::floor(q + 0.5);
    const double e = q - j;  // in [-0.5, 0.5)
    double b = (0.5 - e) / (1 + m);
    if (m < 1) b = std::min(b, (0.5 + e) / (1 - m));  // at m = ±1 one exit is at infinity
    // Grazing a corner, the line is in the diamond at p = i alone: it has left it when it
    // started there, and never got out when it ends there.
    const bool drawn = e == -0.5 ? p1 <= i && i < p2 : p1 < i + b && i + b <= p2;
    if (!drawn) continue;
    if (j < lowMinor || j > highMinor) continue;
    const int major = static_cast<int>(s * i), minor = static_cast<int>(j);
    const double t = (i - p1) / (p2 - p1);
    if (xMajor) {
      emit(major, minor, t);
    } else {
      emit(minor, major, t);
    }
  }
}

float Lerp(float a, float b, double t) { return static_cast<float>(a + (b - a) * t); }

std::uint32_t LerpColor(std::uint32_t a, std::uint32_t b, double t) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    const double c = std::clamp(std::round(ca + (cb - ca) * t), 0.0, 255.0);
    result |= static_cast<std::uint32_t>(c) << shift;
  }
  return result;
}

GlVertex At(const SourceVertex& a, const SourceVertex& b, double t, float x, float y, bool flat) {
  return GlVertex{x,
                  y,
                  Lerp(a.z, b.z, t),
                  flat ? a.diffuse : LerpColor(a.diffuse, b.diffuse, t),
                  Lerp(a.u[0], b.u[0], t),
                  Lerp(a.v[0], b.v[0], t),
                  Lerp(a.u[1], b.u[1], t),
                  Lerp(a.v[1], b.v[1], t)};
}

GlVertex Copy(const SourceVertex& v, std::uint32_t diffuse) {
  return GlVertex{v.x, v.y, v.z, diffuse, v.u[0], v.v[0], v.u[1], v.v[1]};
}

// Two triangles over the pixel-aligned rectangle [x0, x1] × [y0, y1] (pixel edges, not centres,
// so no fill-rule tie arises); the attributes run from `from` at (x0 | y0) to `to` at (x1 | y1)
// along the major axis.
void AppendRectangle(float x0, float y0, float x1, float y1, const GlVertex& from, const GlVertex& to, bool alongX,
                     std::vector<GlVertex>& out) {
  GlVertex tl = from, tr = alongX ? to : from, bl = alongX ? from : to, br = to;
  tl.x = x0, tl.y = y0;
  tr.x = x1, tr.y = y0;
  bl.x = x0, bl.y = y1;
  br.x = x1, br.y = y1;
  out.insert(out.end(), {tl, tr, bl, br, bl, tr});
}

void AppendPoint(const SourceVertex& v, std::vector<GlVertex>& out) {
  const GlVertex g = Copy(v, v.diffuse);
  AppendRectangle(v.x - 0.5f, v.y - 0.5f, v.x + 0.5f, v.y + 0.5f, g, g, true, out);
}

void AppendLine(const SourceVertex& a, const SourceVertex& b, bool flat, const PixelBounds& bounds,
                std::vector<GlVertex>& out) {
  const double length = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y) ? b.x - a.x : b.y - a.y;
  const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
  // Runs of pixels in one row (x-major) or column (y-major) become one rectangle each.
  bool open = false;
  int runMinor = 0, runStart = 0, runEnd = 0;
  double tStart = 0, tEnd = 0;
  const auto close = [&] {
    if (!open) return;
    open = false;
    const int lo = std::min(runStart, runEnd), hi = std::max(runStart, runEnd);
    const double tLo = runStart <= runEnd ? tStart : tEnd, tHi = runStart <= runEnd ? tEnd : tStart;
    // Attributes at the rectangle's outer edges, so that each pixel centre gets its own value.
    const double step = length != 0 ? 1.0 / std::fabs(length) : 0;
    const double sign = (tHi >= tLo) ? 1 : -1;
    const GlVertex from = At(a, b, tLo - sign * step * 0.5, 0, 0, flat);
    const GlVertex to = At(a, b, tHi + sign * step * 0.5, 0, 0, flat);
    if (xMajor) {
      AppendRectangle(lo - 0.5f, runMinor - 0.5f, hi + 0.5f, runMinor + 0.5f, from, to, true, out);
    } else {
      AppendRectangle(runMinor - 0.5f, lo - 0.5f, runMinor + 0.5f, hi + 0.5f, from, to, false, out);
    }
  };
  WalkLine(a.x, a.y, b.x, b.y, bounds, [&](int x, int y, double t) {
    const int major = xMajor ? x : y, minor = xMajor ? y : x;
    if (open && minor == runMinor) {
      runEnd = major;
      tEnd = t;
      return;
    }
    close();
    open = true;
    runMinor = minor;
    runStart = runEnd = major;
    tStart = tEnd = t;
  });
  close();
}

void AppendTriangle(const SourceVertex& a, const SourceVertex& b, const SourceVertex& c, bool flat,
                    std::vector<GlVertex>& out) {
  out.push_back(Copy(a, a.diffuse));
  out.push_back(Copy(b, flat ? a.diffuse : b.diffuse));
  out.push_back(Copy(c, flat ? a.diffuse : c.diffuse));
}

}  // namespace

std::size_t VertexCountFor(Primitive type, unsigned n) {
  switch (type) {
    case Primitive::PointList: return n;
    case Primitive::LineList: return 2 * static_cast<std::size_t>(n);
    case Primitive::LineStrip: return n + 1;
    case Primitive::TriangleList: return 3 * static_cast<std::size_t>(n);
    case Primitive::TriangleStrip:
    case Primitive::TriangleFan: return n + 2;
  }
  return 0;
}

bool AppendTriangles(Primitive type, const SourceVertex* v, std::size_t vertexCount, unsigned n, bool flat,
                     const PixelBounds& bounds, std::vector<GlVertex>& out) {
  const std::size_t needed = VertexCountFor(type, n);
  if (needed == 0 || needed > vertexCount) return false;
  for (unsigned i = 0; i < n; ++i) {
    switch (type) {
      case Primitive::PointList: AppendPoint(v[i], out); break;
      case Primitive::LineList: AppendLine(v[2 * i], v[2 * i + 1], flat, bounds, out); break;
      case Primitive::LineStrip: AppendLine(v[i], v[i + 1], flat, bounds, out); break;
      case Primitive::TriangleList: AppendTriangle(v[3 * i], v[3 * i + 1], v[3 * i + 2], flat, out); break;
      // Flat shading takes the colour of each triangle's first vertex: v[i] in a strip, v[i + 1]
      // in a fan, whose shared centre is not a triangle's first vertex.
      case Primitive::TriangleStrip:
        if (i % 2 == 0) {
          AppendTriangle(v[i], v[i + 1], v[i + 2], flat, out);
        } else {
          // Same winding as the even triangles; the first vertex keeps the flat colour.
          AppendTriangle(v[i], v[i + 2], v[i + 1], flat, out);
        }
        break;
      case Primitive::TriangleFan: {
        AppendTriangle(v[i + 1], v[i + 2], v[0], flat, out);
        break;
      }
    }
  }
  return true;
}

void LinePixelRuns(float ax, float ay, float bx, float by, const PixelBounds& bounds, std::vector<LineRun>& out) {
  const bool xMajor = std::fabs(bx - ax) >= std::fabs(by - ay);
  WalkLine(ax, ay, bx, by, bounds, [&](int x, int y, double) {
    if (!out.empty()) {
      LineRun& r = out.back();
      if (xMajor && r.y0 == y && (x == r.x1 + 1 || x == r.x1 - 1)) {
        r.x1 = x;
        return;
      }
      if (!xMajor && r.x0 == x && (y == r.y1 + 1 || y == r.y1 - 1)) {
        r.y1 = y;
        return;
      }
    }
    out.push_back(LineRun{x, y, x, y});
  });
}

}  // namespace gl
