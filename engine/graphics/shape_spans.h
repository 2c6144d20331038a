// Filled shapes as rows of pixels, worked out once for both back-ends: the software renderer fills
// the rows, the hardware back-end draws a triangle's own vertices (or a row's rectangle) and gets
// the same pixels, because the rows follow Direct3D 9's rules: pixel centres at integer
// coordinates, and a centre on an edge belongs to the triangle only on a top or a left edge.
#pragma once

#include <cstdint>

#include "soft/mem_img.h"

struct ShapePoint {
  int x, y;
};

// Pixels left..right-1 of row y.
struct ShapeSpan {
  int y, left, right;
};

// Calls emit(span) for each row of the triangle inside `area`, top to bottom. A triangle of no
// area has no pixels.
template <class Emit>
void TriangleSpans(const ShapePoint& a, const ShapePoint& b, const ShapePoint& c, const Rect& area, Emit&& emit);

// Rows of the oval centred on (cx, cy) with radii rx, ry (each at least 0): a pixel is inside when
// (dx / (rx + 0.5))² + (dy / (ry + 0.5))² ≤ 1. The outline is the inside pixels that touch an
// outside pixel along a row or a column; it has at most two spans a row.
template <class Emit>
void OvalSpans(int cx, int cy, int rx, int ry, bool fill, const Rect& area, Emit&& emit);

#include "shape_spans_impl.h"
