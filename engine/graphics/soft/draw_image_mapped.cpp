#include "draw_image_mapped.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "blit_gather.h"
#include "blit_plan.h"

namespace {

// The edge test of the hardware back-end's rasteriser, on the same floats in double precision.
double Cross(const MappedVertex& p, const MappedVertex& q, double x, double y) {
  return (static_cast<double>(q.x) - p.x) * (y - p.y) - (static_cast<double>(q.y) - p.y) * (x - p.x);
}
bool TopLeft(const MappedVertex& p, const MappedVertex& q) { return (q.y == p.y && q.x > p.x) || q.y < p.y; }
bool InsideEdge(const MappedVertex& p, const MappedVertex& q, double x, double y) {
  const double e = Cross(p, q, x, y);
  return e > 0 || (e == 0 && TopLeft(p, q));
}

struct Channels {
  float r, g, b, a;
};

// A source pixel's channels (alpha 1 without an alpha channel) and back, for Color32 and Color16
// images, with and without alpha.
Channels Unpack(std::uint32_t p, bool wide, bool alpha) {
  if (wide) return {float(p >> 16 & 0xFF), float(p >> 8 & 0xFF), float(p & 0xFF), alpha ? float(p >> 24) : 255.0f};
  return {float(p >> 11 & 0x1F), float(p >> 5 & 0x3F), float(p & 0x1F), alpha ? float(p >> 16 & 0xFF) : 255.0f};
}
std::uint32_t Pack(const Channels& c, bool wide, bool alpha, std::uint32_t filler) {
  auto round = [](float v) { return static_cast<std::uint32_t>(v + 0.5f); };
  if (wide) return (alpha ? round(c.a) << 24 : filler) | round(c.r) << 16 | round(c.g) << 8 | round(c.b);
  return (alpha ? round(c.a) << 16 : 0) | round(c.r) << 11 | round(c.g) << 5 | round(c.b);
}

std::uint32_t Load(const MEMIMG* src, int x, int y, int bytes) {
  std::uint32_t v = 0;
  std::memcpy(&v, PixelAt(src, x, y, bytes), static_cast<std::size_t>(bytes));
  return v;
}

// The bilinear sample at (u, v) in source pixels as a pixel of the source's own format. A keyed
// source (no alpha, transparency on) is filtered as the hardware filters its alpha-test texture:
// the transparent colour is a texel of alpha 0 (its colour still mixed in), and the sample comes
// out with the mixed alpha, in the format of the same image with alpha.
std::uint32_t Bilinear(const MEMIMG* src, double u, double v, int bytes, bool keyed) {
  const MemImgShared* shared = src->shared;
  const bool wide = shared->colorType == Color32, alpha = shared->hasAlpha != 0 || keyed;
  const double fx = u - 0.5, fy = v - 0.5;
  const double x0 = std::floor(fx), y0 = std::floor(fy);
  const float wx = static_cast<float>(fx - x0), wy = static_cast<float>(fy - y0);
  auto clampX = [&](double x) { return static_cast<int>(std::clamp(x, 0.0, static_cast<double>(src->width - 1))); };
  auto clampY = [&](double y) { return static_cast<int>(std::clamp(y, 0.0, static_cast<double>(src->height - 1))); };
  const std::uint32_t p[4] = {Load(src, clampX(x0), clampY(y0), bytes), Load(src, clampX(x0 + 1), clampY(y0), bytes),
                              Load(src, clampX(x0), clampY(y0 + 1), bytes),
                              Load(src, clampX(x0 + 1), clampY(y0 + 1), bytes)};
  const float w[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
  Channels sum{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    Channels c = Unpack(p[i], wide, shared->hasAlpha != 0);
    if (keyed) c.a = p[i] == shared->transColor ? 0.0f : 255.0f;
    sum.r += c.r * w[i], sum.g += c.g * w[i], sum.b += c.b * w[i], sum.a += c.a * w[i];
  }
  return Pack(sum, wide, alpha, p[0] & 0xFF000000u);
}

// Nearest texels gathered a chunk at a time, copied at their fixed size, then blended by the
// plan's span loop. column(i) and row(i) give the texel's position in 32.32 fixed point.
template <int Bytes, class Column, class Row>
void GatherNearest(MEMIMG* dst, const MEMIMG* src, const BlitPlan& plan, int x, int y, int count, Column&& column,
                   Row&& row, std::int64_t maxU, std::int64_t maxV) {
  constexpr int chunk = 256;
  alignas(16) std::uint8_t pixels[chunk * 4];
  const std::uint8_t* base = src->pixels;
  const std::ptrdiff_t pitch = src->shared->pitch;
  for (int done = 0; done < count;) {
    const int n = std::min(count - done, chunk);
    for (int i = 0; i < n; ++i) {
      const std::int64_t u = std::clamp<std::int64_t>(column(done + i) >> 32, 0, maxU);
      const std::int64_t v = std::clamp<std::int64_t>(row(done + i) >> 32, 0, maxV);
      std::memcpy(pixels + i * Bytes, base + v * pitch + u * Bytes, Bytes);
    }
    plan.pixelSpan(PixelAt(dst, x + done, y, plan.bits / 8), pixels, nullptr, n, plan.ctx);
    done += n;
  }
}

}  // namespace

void SoftDrawImageMapped(MEMIMG* dst, const MEMIMG* src, const MappedVertex vertices[3], int transparent, int bilinear,
                         const SoftDrawParams& params) {
  if (vertices == nullptr || !IsMemImgValid(src) || src->width <= 0 || src->height <= 0) return;
  const MemImgShared* shared = src->shared;
  const bool filtered = bilinear && !shared->paletted && (shared->colorType == Color32 || shared->colorType == Color16);
  const bool keyed = filtered && transparent && !shared->hasAlpha;
  // A keyed source filtered comes out with alpha: the blit is planned for the same image with
  // an alpha channel, whose pixels the samples are.
  MemImgShared withAlpha;
  MEMIMG viewWithAlpha;
  if (keyed) {
    withAlpha = *shared;
    withAlpha.hasAlpha = 1;
    withAlpha.colorData = ColorDataForMemImg(shared->colorType, 1, 0);
    withAlpha.runCodesValid = 0;
    withAlpha.premultipliedValid = 0;
    viewWithAlpha = *src;
    viewWithAlpha.shared = &withAlpha;
  }
  BlitPlan plan;
  if (!PlanBlit(dst, keyed ? &viewWithAlpha : src, transparent, nullptr, params, &plan)) return;
  MappedVertex a = vertices[0], b = vertices[1], c = vertices[2];
  double area = Cross(a, b, c.x, c.y);
  if (!(area != 0) || !std::isfinite(area)) return;
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  // (u, v) is affine in (x, y): its gradients from the barycentric weights.
  const double dudx = ((static_cast<double>(b.y) - c.y) * a.u + (static_cast<double>(c.y) - a.y) * b.u +
                       (static_cast<double>(a.y) - b.y) * c.u) /
                      area;
  const double dvdx = ((static_cast<double>(b.y) - c.y) * a.v + (static_cast<double>(c.y) - a.y) * b.v +
                       (static_cast<double>(a.y) - b.y) * c.v) /
                      area;
  const double dudy = ((static_cast<double>(c.x) - b.x) * a.u + (static_cast<double>(a.x) - c.x) * b.u +
                       (static_cast<double>(b.x) - a.x) * c.u) /
                      area;
  const double dvdy = ((static_cast<double>(c.x) - b.x) * a.v + (static_cast<double>(a.x) - c.x) * b.v +
                       (static_cast<double>(b.x) - a.x) * c.v) /
                      area;
  // The texels along a row are taken in source space, not the texture's [0, 1], so nearest
  // sampling picks the texel the hardware picks except where a sample lies on a texel boundary.
  const double minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  const double minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  const std::int64_t top =
      std::max<std::int64_t>(static_cast<std::int64_t>(std::max(std::floor(minY), -1e15)), plan.area.top);
  const std::int64_t bottom =
      std::min<std::int64_t>(static_cast<std::int64_t>(std::min(std::ceil(maxY), 1e15)) + 1, plan.area.bottom);
  const std::int64_t left =
      std::max<std::int64_t>(static_cast<std::int64_t>(std::max(std::floor(minX), -1e15)), plan.area.left);
  const std::int64_t right =
      std::min<std::int64_t>(static_cast<std::int64_t>(std::min(std::ceil(maxX), 1e15)) + 1, plan.area.right);
  const int bytes = plan.srcBytes;
  auto inside = [&](double x, double y) {
    return InsideEdge(a, b, x, y) && InsideEdge(b, c, x, y) && InsideEdge(c, a, x, y);
  };
  const MappedVertex* edges[3][2] = {{&a, &b}, {&b, &c}, {&c, &a}};
  constexpr int chunk = 256;
  alignas(16) std::uint8_t pixels[chunk * 4];
  for (std::int64_t y = top; y < bottom; ++y) {
    const double fy = static_cast<double>(y);
    // The row's span from the edges, then put right where rounding left it a pixel off.
    double lo = static_cast<double>(left), hi = static_cast<double>(right - 1);
    for (const auto& e : edges) {
      const MappedVertex& p = *e[0];
      const MappedVertex& q = *e[1];
      const double dy = static_cast<double>(q.y) - p.y;
      const double k = (static_cast<double>(q.x) - p.x) * (fy - p.y);  // inside: k − dy·(x − px) > 0
      if (dy == 0) {
        if (k < 0) hi = lo - 1;
        continue;
      }
      const double cut = p.x + k / dy;
      if (dy > 0)
        hi = std::min(hi, std::floor(cut) + 1);
      else
        lo = std::max(lo, std::ceil(cut) - 1);
    }
    if (lo > hi) continue;
    std::int64_t first = static_cast<std::int64_t>(lo), last = static_cast<std::int64_t>(hi);
    while (first <= last && !inside(static_cast<double>(first), fy)) ++first;
    while (last >= first && !inside(static_cast<double>(last), fy)) --last;
    if (first > last) continue;
    const double u0 = a.u + dudx * (static_cast<double>(first) - a.x) + dudy * (fy - a.y);
    const double v0 = a.v + dvdx * (static_cast<double>(first) - a.x) + dvdy * (fy - a.y);
    const int count = static_cast<int>(last - first + 1);
    if (!filtered) {
      // Along the row in 32.32 fixed point; the row's ends are still worked out in double, so
      // the steps add up to less than a texel's 2^-20 over the longest row.
      constexpr double one = 4294967296.0;
      const double limit = 1e5;  // beyond any source; keeps every product below 2^63
      // Rounded, and the start nudged up by 2^-24 of a texel, so that a sample landing on a
      // texel's edge in double lands there in fixed point too, not a step short of it.
      constexpr std::int64_t nudge = std::int64_t{1} << 8;
      const std::int64_t fu = std::llround(std::clamp(u0, -limit, limit) * one) + nudge;
      const std::int64_t fv = std::llround(std::clamp(v0, -limit, limit) * one) + nudge;
      const std::int64_t su = std::llround(std::clamp(dudx, -limit, limit) * one);
      const std::int64_t sv = std::llround(std::clamp(dvdx, -limit, limit) * one);
      const std::int64_t maxU = src->width - 1, maxV = src->height - 1;
      const auto row = [&](int i) { return fv + sv * i; };
      const auto column = [&](int i) { return fu + su * i; };
      if (bytes == 4) {
        GatherNearest<4>(dst, src, plan, static_cast<int>(first), static_cast<int>(y), count, column, row, maxU, maxV);
      } else {
        GatherNearest<2>(dst, src, plan, static_cast<int>(first), static_cast<int>(y), count, column, row, maxU, maxV);
      }
      continue;
    }
    for (int done = 0; done < count;) {
      const int n = std::min(count - done, chunk);
      for (int i = 0; i < n; ++i) {
        const std::uint32_t p =
            Bilinear(src, u0 + dudx * (done + i), v0 + dvdx * (done + i), BytesPerPixel(shared), keyed);
        std::memcpy(pixels + i * bytes, &p, static_cast<std::size_t>(bytes));
      }
      plan.pixelSpan(PixelAt(dst, static_cast<int>(first) + done, static_cast<int>(y), plan.bits / 8), pixels, nullptr,
                     n, plan.ctx);
      done += n;
    }
  }
}
