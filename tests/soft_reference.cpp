#include "soft_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

#include "graphics/soft/blend_tables.h"
#include "vornek.h"

namespace reference {
namespace {

struct Channels {
  int r, g, b;
};

Channels Split(std::uint32_t v, bool is16) {
  if (is16) return {static_cast<int>(v >> 11 & 31), static_cast<int>(v >> 5 & 63), static_cast<int>(v & 31)};
  return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255), static_cast<int>(v & 255)};
}

// Keeps the 32-bit filler byte of d.
std::uint32_t Join(Channels c, std::uint32_t d, bool is16) {
  if (is16) return static_cast<std::uint32_t>(c.r << 11 | c.g << 5 | c.b);
  return (d & 0xFF000000u) | static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
}

int Mix32(int d, int s, int p) { return (d * 256 + (s - d) * p) >> 8; }
int Mix16(int d, int s, int p) { return d + SignedScaleTable[p][s - d + 255]; }

std::uint32_t Scaled(std::uint32_t s, bool is16, int p) {
  const Channels c = Split(s, is16);
  if (is16) {
    return static_cast<std::uint32_t>(ScaleTable[p][c.r] << 11 | ScaleTable[p][c.g] << 5 | ScaleTable[p][c.b]);
  }
  return static_cast<std::uint32_t>(ScaleTable[p][c.r] << 16 | ScaleTable[p][c.g] << 8 | ScaleTable[p][c.b]);
}

std::uint32_t Alpha(std::uint32_t d, std::uint32_t s, bool is16, int p) {
  const Channels dc = Split(d, is16), sc = Split(s, is16);
  if (is16) return Join({Mix16(dc.r, sc.r, p), Mix16(dc.g, sc.g, p), Mix16(dc.b, sc.b, p)}, d, true);
  return Join({Mix32(dc.r, sc.r, p), Mix32(dc.g, sc.g, p), Mix32(dc.b, sc.b, p)}, d, false);
}

}  // namespace

std::uint32_t Brighten(std::uint32_t color, bool is16, const std::uint8_t bright[3]) {
  if (bright[0] == 255 && bright[1] == 255 && bright[2] == 255) return color;
  const Channels c = Split(color, is16);
  const Channels b{(c.r * bright[0]) >> 8, (c.g * bright[1]) >> 8, (c.b * bright[2]) >> 8};
  if (is16) return (color & 0xFFFF0000u) | Join(b, 0, true);
  return Join(b, color, false);
}

bool ModeDraws(int blendMode, int p) {
  switch (blendMode) {
    case BlendModeNone:
    case BlendModeMultiply:
    case BlendModeInvertedAlpha:
    case BlendModeMultiplyAlpha:
      return true;
    case BlendModeAlpha:
    case BlendModeAdd:
    case BlendModeSubtract:
      return p != 0;
    default:
      return false;
  }
}

std::uint32_t BlendPixel(std::uint32_t d, std::uint32_t s, bool is16, int blendMode, int p) {
  if (is16) {
    d &= 0xFFFF;
    s &= 0xFFFF;
  }
  switch (blendMode) {
    case BlendModeNone:
      return s;
    case BlendModeAlpha:
      return p == 255 ? s : Alpha(d, s, is16, p);
    case BlendModeInvertedAlpha:
      return Alpha(d, is16 ? (~s & 0xFFFF) : (s ^ 0xFFFFFF), is16, p);
    case BlendModeAdd: {
      const std::uint32_t S = Scaled(s, is16, p);
      if (is16) {
        const std::uint32_t t = (d & 0xF7DF) + (S & 0xF7DF), c = t & 0x10820;
        return ((c - (c >> 5)) | ((d | S) & 0x820) | t) & 0xFFFF;
      }
      const std::uint32_t t = (d & 0xFEFEFF) + (S & 0xFEFEFF), c = t & 0x1010100;
      return (c - (c >> 8)) | ((d | S) & 0x10100) | t;
    }
    case BlendModeSubtract: {
      const std::uint32_t S = Scaled(s, is16, p);
      if (is16) {
        const std::uint32_t t = (d | 0x10820) - (S & 0xF7DF), c = t & 0x10820;
        return ((c - (c >> 5)) & t) & 0xFFFF;
      }
      const std::uint32_t t = (d | 0x1010100) - (S & 0xFEFEFEFF), c = t & 0x1010100;
      return (c - (c >> 8)) & t;
    }
    case BlendModeMultiply: {
      if (is16) {
        return (((d & 0xF800) * (s & 0xF800)) >> 16 & 0xF800) | (((d & 0x7E0) * (s & 0x7E0)) >> 11 & 0x7E0) |
               (((d & 0x1F) * (s & 0x1F)) >> 5);
      }
      const Channels dc = Split(d, false), sc = Split(s, false);
      return Join({(dc.r * sc.r) >> 8, (dc.g * sc.g) >> 8, (dc.b * sc.b) >> 8}, d, false);
    }
    case BlendModeMultiplyAlpha: {
      const Channels dc = Split(d, is16), sc = Split(s, is16);
      if (is16) {
        const Channels m{(dc.r * sc.r) >> 5, (dc.g * sc.g) >> 6, (dc.b * sc.b) >> 5};
        return Join({Mix16(dc.r, m.r, p), Mix16(dc.g, m.g, p), Mix16(dc.b, m.b, p)}, d, true);
      }
      const Channels m{(dc.r * sc.r) >> 8, (dc.g * sc.g) >> 8, (dc.b * sc.b) >> 8};
      return Join({Mix32(dc.r, m.r, p), Mix32(dc.g, m.g, p), Mix32(dc.b, m.b, p)}, d, false);
    }
    default:
      return d;
  }
}

namespace {

void Plot(Image* image, const Params& q, int x, int y, std::uint32_t s) {
  if (x < q.left || x >= q.right || y < q.top || y >= q.bottom) return;
  // The draw area may reach past the image in these tests' inputs; the image bounds the rest.
  if (x < 0 || y < 0 || x >= image->width || y >= image->height) return;
  std::uint32_t& d = image->at(x, y);
  d = BlendPixel(d, s, image->is16, q.blendMode, q.blendParam);
}

// The draw area never reaches past the image.
Params WithinImage(const Params& params, const Image& image) {
  Params q = params;
  q.left = std::max(q.left, 0);
  q.top = std::max(q.top, 0);
  q.right = std::min(q.right, image.width);
  q.bottom = std::min(q.bottom, image.height);
  if (q.right < q.left) q.right = q.left;
  if (q.bottom < q.top) q.bottom = q.top;
  return q;
}

}  // namespace

void DrawLine(Image* image, const Params& params, int x1, int y1, int x2, int y2, std::uint32_t color) {
  const Params q = WithinImage(params, *image);
  const int L = q.left, T = q.top, R = q.right, B = q.bottom;
  if (L >= R || T >= B) return;
  if (std::min(y1, y2) >= B || std::min(x1, x2) >= R || std::max(y1, y2) < T || std::max(x1, x2) < L) return;
  const double kx = y1 == y2 ? 0.0 : (static_cast<double>(x2) - x1) / (static_cast<double>(y2) - y1);
  const double ky = x1 == x2 ? 0.0 : (static_cast<double>(y2) - y1) / (static_cast<double>(x2) - x1);
  const double bx = x1 - kx * y1, by = y1 - ky * x1;
  // Truncation of a value far outside int: the result is clamped to the area afterwards.
  auto trunc = [](double v) -> long long {
    if (!(v > -1e15)) return -1000000000000000LL;
    if (!(v < 1e15)) return 1000000000000000LL;
    return static_cast<long long>(v);
  };
  long long X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
  if (X1 < L) {
    X1 = L;
    Y1 = trunc(by + ky * L);
  } else if (X1 >= R) {
    X1 = R - 1LL;
    Y1 = trunc(by + ky * (R - 1.0));
  }
  if (X2 < L) {
    X2 = L - 1LL;
    Y2 = trunc(by + ky * (L - 1.0));
  } else if (X2 >= R) {
    X2 = R;
    Y2 = trunc(by + ky * R);
  }
  if (Y1 < T) {
    Y1 = T;
    X1 = trunc(bx + kx * T);
  } else if (Y1 >= B) {
    Y1 = B - 1LL;
    X1 = trunc(bx + kx * (B - 1.0));
  }
  if (Y2 < T) {
    Y2 = T - 1LL;
    X2 = trunc(bx + kx * (T - 1.0));
  } else if (Y2 >= B) {
    Y2 = B;
    X2 = trunc(bx + kx * B);
  }
  X1 = std::clamp<long long>(X1, L, R - 1LL);
  Y1 = std::clamp<long long>(Y1, T, B - 1LL);
  if (X2 < L) X2 = L - 1LL;
  if (X2 >= R) X2 = R;
  if (Y2 < T) Y2 = T - 1LL;
  if (Y2 >= B) Y2 = B;
  const long long dx = X2 - X1, dy = Y2 - Y1;
  if (dx == 0 && dy == 0) return;
  const long long sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1, ax = std::llabs(dx), ay = std::llabs(dy);
  if (!ModeDraws(q.blendMode, q.blendParam)) return;
  const std::uint32_t s = Brighten(color, image->is16, q.bright);
  long long x = X1, y = Y1, e = 0;
  if (ax >= ay) {
    for (long long k = 0; k < ax; ++k) {
      Plot(image, q, static_cast<int>(x), static_cast<int>(y), s);
      e += ay;
      x += sx;
      if (e >= ax) {
        y += sy;
        e -= ax;
      }
    }
  } else {
    for (long long k = 0; k < ay; ++k) {
      Plot(image, q, static_cast<int>(x), static_cast<int>(y), s);
      e += ax;
      y += sy;
      if (e >= ay) {
        x += sx;
        e -= ay;
      }
    }
  }
}

namespace {

// The outline's first octant, from the top of the circle: (u, v) = (0, r), then u grows by one
// per step while v >= u. Of the two pixels the next column offers, (u + 1, v) and (u + 1, v - 1),
// the step goes down to the second when their squared distances from the circle,
// (u + 1)^2 + v^2 - r^2 and (u + 1)^2 + (v - 1)^2 - r^2, add up to 0 or more.
std::vector<std::pair<long long, long long>> Octant(int r) {
  std::vector<std::pair<long long, long long>> steps;
  const __int128 rr = static_cast<__int128>(r) * r;
  for (long long u = 0, v = r; v >= u; ++u) {
    steps.emplace_back(u, v);
    const __int128 next = static_cast<__int128>(u + 1) * (u + 1);
    const __int128 errors =
        (next + static_cast<__int128>(v) * v - rr) + (next + static_cast<__int128>(v - 1) * (v - 1) - rr);
    if (errors >= 0) --v;
  }
  return steps;
}

}  // namespace

void DrawCircle(Image* image, const Params& params, int cx, int cy, int r, std::uint32_t color, int fill) {
  const Params q = WithinImage(params, *image);
  if (!ModeDraws(q.blendMode, q.blendParam)) return;
  const std::uint32_t s = Brighten(color, image->is16, q.bright);
  using ll = long long;
  auto inArea = [&](ll x, ll y) { return x >= q.left && x < q.right && y >= q.top && y < q.bottom; };
  const std::vector<std::pair<ll, ll>> octant = Octant(r);
  if (!fill) {
    // Every point is operated on as often as it is reached: the top, bottom, left and right points
    // once each (four times over at radius 0), the diagonal ones twice where u = v.
    for (const auto& [u, v] : octant) {
      std::vector<std::pair<ll, ll>> points;
      if (u == 0) {
        points = {{-v, 0}, {v, 0}, {0, v}, {0, -v}};
      } else {
        points = {{-v, u}, {v, u}, {-v, -u}, {v, -u}, {-u, v}, {u, v}, {-u, -v}, {u, -v}};
      }
      for (const auto& [x, y] : points) {
        if (inArea(cx + x, cy + y)) Plot(image, q, static_cast<int>(cx + x), static_cast<int>(cy + y), s);
      }
    }
    return;
  }
  // The disc: each row once, from the outline's leftmost to its rightmost point on that row.
  std::map<ll, std::pair<ll, ll>> rows;
  auto reach = [&](ll x, ll y) {
    if (y < q.top || y >= q.bottom) return;
    const auto it = rows.try_emplace(y, x, x).first;
    it->second.first = std::min(it->second.first, x);
    it->second.second = std::max(it->second.second, x);
  };
  for (const auto& [u, v] : octant) {
    for (ll sx : {-1, 1}) {
      for (ll sy : {-1, 1}) {
        reach(cx + sx * v, cy + sy * u);
        reach(cx + sx * u, cy + sy * v);
      }
    }
  }
  for (const auto& [y, span] : rows) {
    for (ll x = std::max<ll>(span.first, q.left); x <= std::min<ll>(span.second, q.right - 1LL); ++x) {
      Plot(image, q, static_cast<int>(x), static_cast<int>(y), s);
    }
  }
}

}  // namespace reference
