#include "gl_geometry.h"

#include <algorithm>
#include <cmath>

#include "../common/d3d9_facts.h"

namespace gl {

namespace {

// Walks a line along its major axis. In the walk's own frame the major coordinate p grows
// from p1 to p2 and the minor coordinate is q(p) = q1 + m (p − p1) with |m| ≤ 1. At each pixel
// column i the line crosses the diamond of row j = the row q(i) rounds to; it leaves that
// diamond at p = i + b, b in [0, 0.5]. A pixel is drawn when the line leaves its diamond
// within the segment: p1 < i + b ≤ p2. A line that only grazes a diamond's corner (q(i)
// exactly half-way between two rows) counts for the row of lower minor coordinate, whose
// diamond holds that corner (its bottom corner on an x-major line, its right corner on a
// y-major one), so no column is ever skipped.
// A line piece: drawn pixels along the major axis, in walk order, from `first` to `last`
// (mirrored coordinates when walking backwards are already undone), at `minor`, with the line's
// parameter t at both ends.
struct Piece {
  int first, last, minor;
  double tFirst, tLast;
};

// How far off a corner or an edge a computed point may be and still count as on it.
constexpr double OnCorner = 1e-9;

// Whether the diamond holds the point where the line leaves it, the line being at q − j = d
// there: an x-major line leaves through a lower edge (held) when d > 0, else through an upper
// edge or a side corner (not held); a y-major line walked downwards leaves through a lower
// edge or the bottom corner (held), walked upwards through an upper edge or the top corner.
bool ExitHeld(bool xMajor, int s, double d) { return xMajor ? d > OnCorner : s > 0; }

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
  const auto t = [&](double i) { return (i - p1) / (p2 - p1); };
  if (m == 0) {
    // Horizontal or vertical: one row, every column in one interval.
    const double j = std::ceil(q1 - 0.5), e = q1 - j;
    if (j < lowMinor || j > highMinor) return;
    if (e == 0.5) {
      first = std::ceil(p1);
      last = std::ceil(p2) - 1;
    } else if (const double b = 0.5 - std::fabs(e); ExitHeld(xMajor, s, e)) {
      first = std::ceil(p1 - b);
      last = std::ceil(p2 - b) - 1;
    } else {
      first = std::floor(p1 - b) + 1;
      last = std::floor(p2 - b);
    }
    first = std::max(first, boundLow);
    last = std::min(last, boundHigh);
    if (first > last) return;
    emit(Piece{static_cast<int>(s * first), static_cast<int>(s * last), static_cast<int>(j), t(first), t(last)});
    return;
  }
  first = std::max(first, boundLow);
  last = std::min(last, boundHigh);
  bool open = false;
  Piece run{};
  for (double i = first; i <= last; i += 1) {
    const double q = q1 + m * (i - p1);
    double j = std::ceil(q - 0.5);
    double e = q - j;  // in (-0.5, 0.5]
    // q is computed: a line through a corner may land a rounding step off it.
    if (e < -0.5 + OnCorner) {
      j -= 1;
      e += 1;
    }
    if (std::fabs(e - 0.5) < OnCorner) e = 0.5;
    double b = (0.5 - e) / (1 + m);
    if (m < 1) b = std::min(b, (0.5 + e) / (1 - m));  // at m = ±1 one exit is at infinity
    bool drawn;
    if (e == 0.5 && m == -1) {
      // Along the diamond's lower edge from its bottom corner (held) to its side corner (not).
      drawn = p1 < i + 0.5 && i + 0.5 <= p2;
    } else if (e == 0.5) {
      // Grazing the held corner, or along the lower edge up to it: the line leaves at p = i.
      drawn = p1 <= i && i < p2;
    } else {
      // Leaving at x = i + b: a segment that starts there has been inside only when the
      // diamond holds that point, and one that ends there has left only when it does not.
      const double x = i + b;
      const bool held = ExitHeld(xMajor, s, e + m * b);
      const bool startsThere = std::fabs(p1 - x) < OnCorner, endsThere = std::fabs(p2 - x) < OnCorner;
      drawn = (startsThere ? held : p1 < x) && (endsThere ? !held : x < p2);
    }
    if (!drawn || j < lowMinor || j > highMinor) continue;
    const int major = static_cast<int>(s * i), minor = static_cast<int>(j);
    if (open && minor == run.minor && major == run.last + s) {
      run.last = major;
      run.tLast = t(i);
      continue;
    }
    if (open) emit(run);
    run = Piece{major, major, minor, t(i), t(i)};
    open = true;
  }
  if (open) emit(run);
}

float Lerp(float a, float b, double t) { return static_cast<float>(a + (b - a) * t); }

std::uint32_t LerpColor(std::uint32_t a, std::uint32_t b, double t) {
  if (a == b) return a;  // a one-colour primitive, which nearly every one is
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
                  Lerp(a.v[1], b.v[1], t),
                  0,
                  0};
}

GlVertex Copy(const SourceVertex& v, std::uint32_t diffuse) {
  return GlVertex{v.x, v.y, v.z, diffuse, v.u[0], v.v[0], v.u[1], v.v[1], 0, 0};
}

// A line piece from `first` to `last` (inclusive, either order) along the major axis at
// `minor`, as a run when it lies along a row with one look, else as an OpenGL line from a quarter pixel before the
// first pixel's centre to a quarter pixel past the centre of the last: it starts inside the first pixel's diamond and
// ends inside the next one's, far from every diamond's edge, so any rasteriser draws exactly the piece. `from` and `to`
// are the attributes at the first and last pixel centres.
void AppendPiece(int first, int last, int minor, bool xMajor, const GlVertex& from, const GlVertex& to,
                 PrimitiveList& out) {
  const float direction = last >= first ? 1.0f : -1.0f;
  const float start = static_cast<float>(first) - 0.25f * direction;
  const float end = static_cast<float>(last) + 0.75f * direction;
  // Attributes extended to the new ends, so the pixel centres keep theirs.
  const int pixels = (last - first) * static_cast<int>(direction);
  GlVertex a = from, b = to;
  if (pixels > 0) {
    const auto extend = [&](float& va, float& vb) {
      const float perPixel = (vb - va) / static_cast<float>(pixels);
      vb += 0.75f * perPixel;
      va -= 0.25f * perPixel;
    };
    extend(a.z, b.z);
    extend(a.u0, b.u0);
    extend(a.v0, b.v0);
    extend(a.u1, b.u1);
    extend(a.v1, b.v1);
  }
  a.x = xMajor ? start : static_cast<float>(minor);
  a.y = xMajor ? static_cast<float>(minor) : start;
  b.x = xMajor ? end : static_cast<float>(minor);
  b.y = xMajor ? static_cast<float>(minor) : end;
  if (xMajor && SameAttributes(a, b)) {
    out.AddRun(a, minor, std::min(first, last), std::max(first, last) + 1);
  } else {
    out.Line(a, b);
  }
}

// A line piece whose every pixel has the attributes of `look`.
void AppendPieceOfLook(int first, int last, int minor, bool xMajor, const GlVertex& look, PrimitiveList& out) {
  if (xMajor) {
    out.AddRun(look, minor, std::min(first, last), std::max(first, last) + 1);
  } else {
    AppendPiece(first, last, minor, xMajor, look, look, out);
  }
}

// The pixel whose centre lies in the point's one-pixel square, top-left rule: [x − ½, x + ½).
void AppendPoint(const SourceVertex& v, const PixelBounds& bounds, PrimitiveList& out) {
  const double x = std::ceil(static_cast<double>(v.x) - 0.5), y = std::ceil(static_cast<double>(v.y) - 0.5);
  if (!(x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)) return;
  const GlVertex g = Copy(v, v.diffuse);
  AppendPiece(static_cast<int>(x), static_cast<int>(x), static_cast<int>(y), true, g, g, out);
}

void AppendLine(const SourceVertex& a, const SourceVertex& b, bool flat, const PixelBounds& bounds,
                PrimitiveList& out) {
  const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
  const double length = std::fabs(xMajor ? b.x - a.x : b.y - a.y);
  // Both ends alike, as a disc's rows come: every pixel has the attributes as they are.
  if (const GlVertex look = Copy(a, a.diffuse); SameAttributes(look, Copy(b, b.diffuse))) {
    WalkLine(a.x, a.y, b.x, b.y, bounds,
             [&](const Piece& r) { AppendPieceOfLook(r.first, r.last, r.minor, xMajor, look, out); });
    return;
  }
  WalkLine(a.x, a.y, b.x, b.y, bounds, [&](const Piece& r) {
    // Colours at the ends of the OpenGL line, a quarter pixel beyond the run's end centres.
    const double quarter = 0.25 / length;
    GlVertex from = At(a, b, r.tFirst, 0, 0, flat);
    GlVertex to = At(a, b, r.tLast, 0, 0, flat);
    from.diffuse = flat ? a.diffuse : LerpColor(a.diffuse, b.diffuse, r.tFirst - quarter);
    to.diffuse = flat ? a.diffuse : LerpColor(a.diffuse, b.diffuse, r.tLast + 3 * quarter);
    AppendPiece(r.first, r.last, r.minor, xMajor, from, to, out);
  });
}

void AppendTriangle(const SourceVertex& a, const SourceVertex& b, const SourceVertex& c, bool flat,
                    PrimitiveList& out) {
  out.Triangle(Copy(a, a.diffuse), Copy(b, flat ? a.diffuse : b.diffuse), Copy(c, flat ? a.diffuse : c.diffuse));
}

}  // namespace

bool SameAttributes(const GlVertex& a, const GlVertex& b) {
  return a.z == b.z && a.diffuse == b.diffuse && a.u0 == b.u0 && a.v0 == b.v0 && a.u1 == b.u1 && a.v1 == b.v1;
}

// The device hands its primitive types over as they are.
static_assert(static_cast<DWORD>(Primitive::PointList) == D3DPT_POINTLIST &&
              static_cast<DWORD>(Primitive::TriangleFan) == D3DPT_TRIANGLEFAN);

std::size_t VertexCountFor(Primitive type, unsigned n) { return d3d9facts::VertexCount(static_cast<DWORD>(type), n); }

void PrimitiveList::Open(bool lines) {
  if (ranges.empty() || ranges.back().lines != lines) ranges.push_back(VertexRange{lines, vertices.size(), 0});
}

void PrimitiveList::Push(const GlVertex& a, const GlVertex& b) {
  Open(true);
  vertices.push_back(a);
  vertices.push_back(b);
  ranges.back().count += 2;
}

void PrimitiveList::Line(const GlVertex& a, const GlVertex& b) {
  RunsToLines();
  Push(a, b);
}

void PrimitiveList::AddRun(const GlVertex& look, int row, int left, int right) {
  if (!runsOnly) {
    GlVertex a = look, b = look;
    a.x = static_cast<float>(left) - 0.25f;
    b.x = static_cast<float>(right) - 0.25f;
    a.y = b.y = static_cast<float>(row);
    Push(a, b);
    return;
  }
  if (looks.empty() || !SameAttributes(looks.back(), look)) looks.push_back(look);
  if (runs.empty()) {
    runsExtent = PixelBounds{left, row, right, row + 1};
  } else {
    runsExtent.left = std::min(runsExtent.left, left);
    runsExtent.top = std::min(runsExtent.top, row);
    runsExtent.right = std::max(runsExtent.right, right);
    runsExtent.bottom = std::max(runsExtent.bottom, row + 1);
  }
  runs.push_back(Run{row, left, right, static_cast<std::uint32_t>(looks.size() - 1)});
}

void PrimitiveList::RunsToLines() {
  if (!runsOnly) return;
  runsOnly = false;
  for (const Run& r : runs) AddRun(looks[r.look], r.row, r.left, r.right);
  runs.clear();
  looks.clear();
}

void PrimitiveList::Triangle(const GlVertex& a, const GlVertex& b, const GlVertex& c) {
  RunsToLines();
  Open(false);
  vertices.push_back(a);
  vertices.push_back(b);
  vertices.push_back(c);
  ranges.back().count += 3;
}

bool AppendPrimitives(Primitive type, const SourceVertex* v, std::size_t vertexCount, unsigned n, bool flat,
                      const PixelBounds& bounds, PrimitiveList& out) {
  const std::size_t needed = VertexCountFor(type, n);
  if (needed == 0 || needed > vertexCount) return false;
  for (unsigned i = 0; i < n; ++i) {
    switch (type) {
      case Primitive::PointList:
        AppendPoint(v[i], bounds, out);
        break;
      case Primitive::LineList:
        AppendLine(v[2 * i], v[2 * i + 1], flat, bounds, out);
        break;
      case Primitive::LineStrip:
        AppendLine(v[i], v[i + 1], flat, bounds, out);
        break;
      case Primitive::TriangleList:
        AppendTriangle(v[3 * i], v[3 * i + 1], v[3 * i + 2], flat, out);
        break;
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

void LinePieces(float ax, float ay, float bx, float by, const PixelBounds& bounds, std::vector<LinePiece>& out) {
  const bool xMajor = std::fabs(bx - ax) >= std::fabs(by - ay);
  WalkLine(ax, ay, bx, by, bounds, [&](const Piece& r) {
    out.push_back(xMajor ? LinePiece{r.first, r.minor, r.last, r.minor} : LinePiece{r.minor, r.first, r.minor, r.last});
  });
}

}  // namespace gl
