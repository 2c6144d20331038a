// Direct3D 9's rules for which pixels a point, a line or a triangle lights and how a narrow
// colour channel widens to 8 bits, written plainly, pixel by pixel: the model that the
// recording device draws by and that the OpenGL device's pixels are tested against. Slow on
// purpose; no device draws its primitives through it at speed.
//
// Pixel centres are at integer coordinates.
// - A point is a one-pixel square around it, filled by the top-left rule: it lights the pixel
//   whose centre lies in [x - 1/2, x + 1/2) × [y - 1/2, y + 1/2).
// - A line lights a pixel when it leaves the pixel's test diamond |x - i| + |y - j| < 1/2 and
//   does not end inside it. The diamond holds its interior, its two lower edges and its bottom
//   corner (y grows downwards); for a y-major line (|dy| > |dx|) its right corner as well. The
//   upper edges and the top and left corners are never part of it, nor the right corner of an
//   x-major line. So a line passing exactly between two pixels lights the upper one (x-major)
//   or the left one (y-major).
// - A triangle covers the pixels whose centres lie inside it, or on a top edge (horizontal,
//   the triangle below it) or a left edge.
// - A channel of n bits widens to round(v × 255 / (2^n − 1)): 5-bit 3 is 25, 6-bit 1 is 4.
#pragma once

#include <cstdint>
#include <functional>

namespace d3d9rules {

struct PixelPosition {
  int x, y;
};

PixelPosition PointPixel(float x, float y);

// Whether the line from (ax, ay) to (bx, by) lights pixel (i, j).
bool LineLightsPixel(double ax, double ay, double bx, double by, int i, int j);

// Every pixel the line lights, once each, walking from a to b.
void ForEachLinePixel(double ax, double ay, double bx, double by, const std::function<void(int, int)>& visit);

// Whether (x, y) is inside the edge from p to q of a triangle whose corners run clockwise on
// the screen (y down), or on it where the edge is a top or a left one.
bool InsideEdge(double px, double py, double qx, double qy, double x, double y);
// Every pixel the triangle covers, once each, row by row from the top; its corners in either
// order.
void ForEachTrianglePixel(double x0, double y0, double x1, double y1, double x2, double y2,
                          const std::function<void(int, int)>& visit);

std::uint32_t WidenChannel(std::uint32_t value, int bits);

}  // namespace d3d9rules
