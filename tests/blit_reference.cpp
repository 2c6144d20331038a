#include "blit_reference.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/soft/blend_graph.h"
#include "graphics/soft/blend_tables.h"
#include "soft_reference.h"
#include "vornek.h"

namespace blit_reference {
namespace {

std::uint32_t ReadPixel(const MEMIMG* image, int x, int y) {
  const MemImgShared* s = image->shared;
  const int bytes = BytesPerPixel(s);
  const std::uint8_t* p = image->pixels + static_cast<std::ptrdiff_t>(y) * s->pitch + x * bytes;
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return v;
}

void WritePixel(MEMIMG* image, int x, int y, std::uint32_t v) {
  const MemImgShared* s = image->shared;
  const int bytes = BytesPerPixel(s);
  std::uint8_t* p = image->pixels + static_cast<std::ptrdiff_t>(y) * s->pitch + x * bytes;
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsTarget(const MEMIMG* dst) {
  return dst != nullptr && IsMemImgValid(dst) &&
         (dst->shared->colorType == Color16 || dst->shared->colorType == Color32) && !dst->shared->paletted &&
         !dst->shared->hasAlpha;
}

bool InDrawArea(const MEMIMG* dst, const SoftDrawParams& q, std::int64_t x, std::int64_t y) {
  return x >= q.drawArea.left && x < q.drawArea.right && y >= q.drawArea.top && y < q.drawArea.bottom && x >= 0 &&
         y >= 0 && x < dst->width && y < dst->height;
}

// Channel c (0 blue, 1 green, 2 red) of a pixel and its width.
int Bits(bool is16, int c) { return is16 ? (c == 1 ? 6 : 5) : 8; }
int Shift(bool is16, int c) { return is16 ? (c == 0 ? 0 : c == 1 ? 5 : 11) : 8 * c; }
std::uint32_t Get(std::uint32_t v, bool is16, int c) { return (v >> Shift(is16, c)) & ((1u << Bits(is16, c)) - 1); }
std::uint32_t Put(std::uint32_t v, bool is16, int c, std::uint32_t value) {
  const std::uint32_t mask = ((1u << Bits(is16, c)) - 1) << Shift(is16, c);
  return (v & ~mask) | (value << Shift(is16, c));
}

// d' = (d × 256^k + (s − d) × w1 × … × wk) >> 8k in 32-bit arithmetic, bits 8k to 8k + 7.
std::uint32_t Mix(std::uint32_t s, std::uint32_t d, const std::vector<std::uint32_t>& weights) {
  std::uint32_t scale = 1, product = 1;
  for (std::uint32_t w : weights) {
    scale *= 256;
    product *= w;
  }
  const std::uint32_t value = d * scale + (s - d) * product;
  return (value >> (8 * weights.size())) & 0xFF;
}

struct Request {
  bool is16;
  int mode, p;
  bool sourceAlpha, graph, bright;
  int transparent;
};

// The new value of destination pixel d for source pixel (sx, sy).
std::uint32_t BlendAt(std::uint32_t d, const MEMIMG* src, int sx, int sy, const MEMIMG* graph, const Request& q,
                      const SoftDrawParams& params) {
  const MemImgShared* s = src->shared;
  const std::uint32_t raw = ReadPixel(src, sx, sy);
  std::uint32_t color = raw;
  int alpha = -1;
  if (s->paletted) {
    if (q.transparent == 1 && raw == s->transColor) return d;
    const std::uint8_t* e = s->palette + 4 * raw;
    color = e[0] | e[1] << 8 | e[2] << 16 | static_cast<std::uint32_t>(e[3]) << 24;
  } else if (q.sourceAlpha) {
    alpha = q.is16 ? (raw >> 16) & 0xFF : raw >> 24;
    if (q.transparent == 1 && alpha == 0) return d;
  } else if (q.transparent == 1 && raw == s->transColor) {
    return d;
  }
  if (q.is16) color &= 0xFFFF;

  const bool copyMode = q.mode == BlendModeNone || (q.mode == BlendModeAlpha && q.p == 255);
  std::vector<std::uint32_t> weights;
  if (alpha >= 0 && alpha != 255 && !(copyMode && !q.graph && q.transparent != 1)) {
    weights.push_back(static_cast<std::uint32_t>(alpha));
  }
  if (q.graph) weights.push_back(BlendGraphTable[ReadPixel(graph, sx, sy)]);

  std::uint32_t sc[3], dc[3];
  const std::uint8_t factor[3] = {params.bright[2], params.bright[1], params.bright[0]};
  for (int c = 0; c < 3; ++c) {
    sc[c] = Get(color, q.is16, c);
    dc[c] = Get(d, q.is16, c);
    if (q.bright) sc[c] = static_cast<std::uint32_t>(ScaleTable[factor[c]][sc[c]]);
  }
  auto channels = [&](const std::uint32_t* ch) {
    std::uint32_t v = d;
    for (int c = 0; c < 3; ++c) v = Put(v, q.is16, c, ch[c]);
    return v;
  };
  auto top = [&](int c) { return (1u << Bits(q.is16, c)) - 1; };
  const bool plain = alpha < 0 && !q.sourceAlpha && !q.graph && !q.bright;

  std::uint32_t out[3];
  switch (q.mode) {
    case BlendModeNone:
    case BlendModeAlpha:
    case BlendModeInvertedAlpha: {
      if (copyMode) {
        if (weights.empty()) return q.bright ? channels(sc) : color;
        for (int c = 0; c < 3; ++c) out[c] = Mix(sc[c], dc[c], weights);
        return channels(out);
      }
      if (q.mode == BlendModeAlpha && q.p == 128 && plain) {
        const std::uint32_t half = q.is16 ? 0x7BEF : 0x7F7F7F;
        return ((color >> 1) & half) + ((d >> 1) & half);
      }
      if (q.mode == BlendModeInvertedAlpha) {
        for (int c = 0; c < 3; ++c) sc[c] = top(c) - sc[c];
      }
      if (q.is16 && !q.sourceAlpha && !q.graph) {
        for (int c = 0; c < 3; ++c) out[c] = Mix63Table[q.p >> 2][sc[c]][dc[c]];
        return channels(out);
      }
      weights.push_back(static_cast<std::uint32_t>(q.p));
      for (int c = 0; c < 3; ++c) out[c] = Mix(sc[c], dc[c], weights);
      return channels(out);
    }
    case BlendModeAdd:
    case BlendModeSubtract: {
      if (q.p == 255 && plain && !q.is16) {
        std::uint32_t v = 0;
        for (int b = 0; b < 4; ++b) {
          const int x = static_cast<int>((d >> (8 * b)) & 0xFF), y = static_cast<int>((color >> (8 * b)) & 0xFF);
          const int r = q.mode == BlendModeAdd ? std::min(x + y, 255) : std::max(x - y, 0);
          v |= static_cast<std::uint32_t>(r) << (8 * b);
        }
        return v;
      }
      std::uint32_t scaled = 0;
      for (int c = 0; c < 3; ++c) {
        std::uint32_t v;
        if (weights.empty()) {
          v = static_cast<std::uint32_t>(ScaleTable[q.p][sc[c]]);
        } else {
          std::uint64_t product = sc[c] * static_cast<std::uint64_t>(q.p);
          for (std::uint32_t w : weights) product *= w;
          v = static_cast<std::uint32_t>(product >> (8 * (weights.size() + 1)));
        }
        scaled |= v << Shift(q.is16, c);
      }
      // The packed add and subtract of the solid-colour rules, with the source already scaled.
      return reference::BlendPixel(d, scaled, q.is16, q.mode, 255);
    }
    case BlendModeMultiply: {
      for (int c = 0; c < 3; ++c) {
        std::uint64_t product = static_cast<std::uint64_t>(dc[c]) * sc[c];
        for (std::uint32_t w : weights) product *= w;
        out[c] = static_cast<std::uint32_t>(product >> (Bits(q.is16, c) + 8 * weights.size()));
      }
      return channels(out);
    }
    case BlendModeMultiplyAlpha: {
      weights.push_back(static_cast<std::uint32_t>(q.p));
      for (int c = 0; c < 3; ++c) out[c] = Mix((dc[c] * sc[c]) >> Bits(q.is16, c), dc[c], weights);
      return channels(out);
    }
    default:
      return d;
  }
}

// Checks shared by the image routines; false when nothing is drawn.
bool MakeRequest(const MEMIMG* dst, const MEMIMG* src, int transparent, const MEMIMG* graph,
                 const SoftDrawParams& params, Request* q) {
  if (!IsTarget(dst) || src == nullptr || !IsMemImgValid(src)) return false;
  if (src->shared->colorType != dst->shared->colorType) return false;
  if (graph != nullptr && (!IsMemImgValid(graph) || graph->shared->colorType != Gray8 || graph->width < src->width ||
                           graph->height < src->height)) {
    return false;
  }
  q->is16 = dst->shared->colorType == Color16;
  q->mode = params.blendMode;
  q->p = std::clamp(params.blendParam, 0, 255);
  q->sourceAlpha = src->shared->hasAlpha && !src->shared->paletted;
  q->graph = graph != nullptr;
  q->bright = !(params.bright[0] == 255 && params.bright[1] == 255 && params.bright[2] == 255);
  q->transparent = transparent;
  switch (q->mode) {
    case BlendModeAlpha:
    case BlendModeAdd:
    case BlendModeSubtract:
      return q->p != 0;
    case BlendModeNone:
    case BlendModeMultiply:
    case BlendModeInvertedAlpha:
    case BlendModeMultiplyAlpha:
      return true;
    default:
      return false;
  }
}

}  // namespace

void DrawImage(MEMIMG* dst, const MEMIMG* src, int x, int y, int transparent, const MEMIMG* graph,
               const SoftDrawParams& params) {
  Request q;
  if (!MakeRequest(dst, src, transparent, graph, params, &q)) return;
  for (int sy = 0; sy < src->height; ++sy) {
    for (int sx = 0; sx < src->width; ++sx) {
      const std::int64_t dx = static_cast<std::int64_t>(x) + sx, dy = static_cast<std::int64_t>(y) + sy;
      if (!InDrawArea(dst, params, dx, dy)) continue;
      const int px = static_cast<int>(dx), py = static_cast<int>(dy);
      WritePixel(dst, px, py, BlendAt(ReadPixel(dst, px, py), src, sx, sy, graph, q, params));
    }
  }
}

namespace {

// One axis of a stretch. The rectangle covers its smaller to its larger coordinate and is mirrored
// when given the other way round. From that edge on, each destination pixel shows the current
// source pixel (counted from the far end when mirrored); then a counter, which starts at the
// ratio of destination to source pixels in 16.16, drops by one pixel, and while it is 0 or less
// the source moves on by one and the counter gains the ratio again.
struct Axis {
  std::int64_t first = 0, end = 0;
  bool mirrored = false;
  std::vector<int> source;  // by destination offset from first
};

Axis Stretch(int from, int to, int size) {
  Axis axis;
  axis.mirrored = from > to;
  axis.first = std::min(from, to);
  axis.end = std::max(from, to);
  const std::int64_t extent = axis.end - axis.first;
  // A source more than 65536 times the rectangle would give a ratio of 0 and never move on.
  const std::int64_t ratio = std::max<std::int64_t>(extent * 65536 / size, 1);
  std::int64_t counter = ratio;
  int shown = 0;
  for (std::int64_t j = 0; j < extent; ++j) {
    axis.source.push_back(axis.mirrored ? size - 1 - shown : shown);
    counter -= 65536;
    while (counter <= 0) {
      shown = std::min(shown + 1, size - 1);  // never past the last source pixel
      counter += ratio;
    }
  }
  return axis;
}

}  // namespace

void DrawImageScaled(MEMIMG* dst, const MEMIMG* src, const Rect& rect, int transparent, const MEMIMG* graph,
                     const SoftDrawParams& params) {
  if (rect.left == rect.right || rect.top == rect.bottom) return;
  if (src == nullptr || !IsMemImgValid(src) || src->width <= 0 || src->height <= 0) return;
  if (rect.right - static_cast<std::int64_t>(rect.left) == src->width &&
      rect.bottom - static_cast<std::int64_t>(rect.top) == src->height) {
    DrawImage(dst, src, rect.left, rect.top, transparent, graph, params);
    return;
  }
  Request q;
  if (!MakeRequest(dst, src, transparent, graph, params, &q)) return;
  const Axis columns = Stretch(rect.left, rect.right, src->width);
  const Axis rows = Stretch(rect.top, rect.bottom, src->height);
  for (int py = 0; py < dst->height; ++py) {
    for (int px = 0; px < dst->width; ++px) {
      if (px < columns.first || px >= columns.end || py < rows.first || py >= rows.end) continue;
      if (!InDrawArea(dst, params, px, py)) continue;
      const int sx = columns.source[static_cast<std::size_t>(px - columns.first)];
      const int sy = rows.source[static_cast<std::size_t>(py - rows.first)];
      WritePixel(dst, px, py, BlendAt(ReadPixel(dst, px, py), src, sx, sy, graph, q, params));
    }
  }
}

void FillRect(MEMIMG* dst, const Rect* rect, std::uint32_t color, const SoftDrawParams& params) {
  if (!IsTarget(dst)) return;
  const bool is16 = dst->shared->colorType == Color16;
  Rect r = rect != nullptr ? *rect : Rect{0, 0, dst->width, dst->height};
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  const int p = std::clamp(params.blendParam, 0, 255);
  if (!reference::ModeDraws(params.blendMode, p)) return;
  const std::uint32_t s = reference::Brighten(color, is16, params.bright);
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, dst->height); ++y) {
    for (int x = std::max(r.left, 0); x < std::min(r.right, dst->width); ++x) {
      if (!InDrawArea(dst, params, x, y)) continue;
      WritePixel(dst, x, y, reference::BlendPixel(ReadPixel(dst, x, y), s, is16, params.blendMode, p));
    }
  }
}

}  // namespace blit_reference
