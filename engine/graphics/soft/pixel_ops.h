// Per-pixel blend operations of the software renderer, on 32-bit XRGB and 16-bit 5:6:5 pixels.
//
// A request (blend mode, parameter p) is first reduced with SimplifySolidBlend, which folds the
// cases that draw nothing or plainly copy. A PixelBlend<Format, Op> is then made once for p; its
// Prepare(s) does the work that depends only on the source pixel, and Apply(d, prepared) gives
// the new destination pixel. Loops with one colour prepare once; blits prepare per pixel.
//
// The arithmetic is exact against the shared tables (ScaleTable, SignedScaleTable): where the
// per-pixel form below computes instead of looking up, it gives the same integers, so that
// spans stay branch-free and vectorisable.
#pragma once

#include <cstdint>

#include "vornek.h"
#include "blend_op.h"
#include "blend_tables.h"

struct Rgb32 {
  using Pixel = std::uint32_t;
};
struct Rgb565 {
  using Pixel = std::uint16_t;
};

namespace pixel_detail {

// p × difference / 255 truncated toward zero, as SignedScaleTable holds it, for |p × difference|
// up to 255 × 255: (a + 1 + (a >> 8)) >> 8 is a / 255 for 0 ≤ a < 65535.
// Branch-free: the sign of the difference is as good as random from pixel to pixel.
inline int SignedScaleExact(int p, int difference) {
  const int product = p * difference;
  const int sign = product >> 31;  // 0 or -1
  const int magnitude = (product ^ sign) - sign;
  const int quotient = (magnitude + 1 + (magnitude >> 8)) >> 8;
  return (quotient ^ sign) - sign;
}

// p × c / 255 for c ≥ 0, as ScaleTable holds it.
inline std::uint32_t ScaleExact(std::uint32_t p, std::uint32_t c) {
  const std::uint32_t product = p * c;
  return (product + 1 + (product >> 8)) >> 8;
}

// 5:6:5 channels as channel numbers.
inline int Red565(std::uint32_t v) { return static_cast<int>((v >> 11) & 0x1F); }
inline int Green565(std::uint32_t v) { return static_cast<int>((v >> 5) & 0x3F); }
inline int Blue565(std::uint32_t v) { return static_cast<int>(v & 0x1F); }
inline std::uint16_t Pack565(int r, int g, int b) { return static_cast<std::uint16_t>((r << 11) | (g << 5) | b); }

// d + p × (s − d) / 255 on each 5:6:5 channel.
inline std::uint16_t Mix565(std::uint32_t d, int sr, int sg, int sb, int p) {
  const int dr = Red565(d), dg = Green565(d), db = Blue565(d);
  return Pack565(dr + SignedScaleExact(p, sr - dr), dg + SignedScaleExact(p, sg - dg),
                 db + SignedScaleExact(p, sb - db));
}

// (d × 256 + (s − d) × p) >> 8 on the three colour bytes of an XRGB pixel, filler kept:
// written as d × (256 − p) + s × p, red and blue sharing one product.
inline std::uint32_t Mix32(std::uint32_t d, std::uint32_t sRedBlueTimesP, std::uint32_t sGreenTimesP,
                           std::uint32_t inverseP) {
  const std::uint32_t redBlue = (((d & 0xFF00FFu) * inverseP + sRedBlueTimesP) >> 8) & 0xFF00FFu;
  const std::uint32_t green = (((d & 0xFF00u) * inverseP + sGreenTimesP) >> 8) & 0xFF00u;
  return (d & 0xFF000000u) | redBlue | green;
}

}  // namespace pixel_detail

template <class Format, BlendOp Op>
struct PixelBlend;  // none for the whole-pixel forms, which the one-colour loops never take

// ---- 32-bit XRGB -------------------------------------------------------------------------

template <>
struct PixelBlend<Rgb32, BlendOp::Copy> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int) {}
  Prepared Prepare(std::uint32_t s) const { return s; }
  std::uint32_t Apply(std::uint32_t, Prepared s) const { return s; }
};

template <>
struct PixelBlend<Rgb32, BlendOp::Alpha> {
  struct Prepared {
    std::uint32_t redBlue, green;
  };
  explicit PixelBlend(int p) : p_(static_cast<std::uint32_t>(p)) {}
  Prepared Prepare(std::uint32_t s) const { return {(s & 0xFF00FFu) * p_, (s & 0xFF00u) * p_}; }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const {
    return pixel_detail::Mix32(d, s.redBlue, s.green, 256 - p_);
  }
  std::uint32_t p_;
};

template <>
struct PixelBlend<Rgb32, BlendOp::InvertedAlpha> {
  using Prepared = PixelBlend<Rgb32, BlendOp::Alpha>::Prepared;
  explicit PixelBlend(int p) : alpha_(p) {}
  Prepared Prepare(std::uint32_t s) const { return alpha_.Prepare(~s & 0xFFFFFFu); }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const { return alpha_.Apply(d, s); }
  PixelBlend<Rgb32, BlendOp::Alpha> alpha_;
};

// Source scaled by p, channel by channel, top byte 0.
inline std::uint32_t ScaleSource32(std::uint32_t s, int p) {
  const auto q = static_cast<std::uint32_t>(p);
  return pixel_detail::ScaleExact(q, (s >> 16) & 0xFF) << 16 | pixel_detail::ScaleExact(q, (s >> 8) & 0xFF) << 8 |
         pixel_detail::ScaleExact(q, s & 0xFF);
}

template <>
struct PixelBlend<Rgb32, BlendOp::Add> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const { return ScaleSource32(s, p_); }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const {
    const std::uint32_t t = (d & 0xFEFEFFu) + (s & 0xFEFEFFu);
    const std::uint32_t c = t & 0x1010100u;
    return (c - (c >> 8)) | ((d | s) & 0x10100u) | t;
  }
  int p_;
};

template <>
struct PixelBlend<Rgb32, BlendOp::Subtract> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const { return ScaleSource32(s, p_); }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const {
    const std::uint32_t t = (d | 0x1010100u) - (s & 0xFEFEFEFFu);
    const std::uint32_t c = t & 0x1010100u;
    return (c - (c >> 8)) & t;
  }
  int p_;
};

template <>
struct PixelBlend<Rgb32, BlendOp::Multiply> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int) {}
  Prepared Prepare(std::uint32_t s) const { return s; }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const {
    const std::uint32_t b = ((d & 0xFF) * (s & 0xFF)) >> 8;
    const std::uint32_t g = (((d >> 8) & 0xFF) * ((s >> 8) & 0xFF)) >> 8;
    const std::uint32_t r = (((d >> 16) & 0xFF) * ((s >> 16) & 0xFF)) >> 8;
    return (d & 0xFF000000u) | r << 16 | g << 8 | b;
  }
};

template <>
struct PixelBlend<Rgb32, BlendOp::MultiplyAlpha> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int p) : p_(static_cast<std::uint32_t>(p)) {}
  Prepared Prepare(std::uint32_t s) const { return s; }
  std::uint32_t Apply(std::uint32_t d, Prepared s) const {
    const std::uint32_t m = PixelBlend<Rgb32, BlendOp::Multiply>(0).Apply(d, s);
    return pixel_detail::Mix32(d, (m & 0xFF00FFu) * p_, (m & 0xFF00u) * p_, 256 - p_);
  }
  std::uint32_t p_;
};

// ---- 16-bit 5:6:5 ------------------------------------------------------------------------

template <>
struct PixelBlend<Rgb565, BlendOp::Copy> {
  using Prepared = std::uint16_t;
  explicit PixelBlend(int) {}
  Prepared Prepare(std::uint32_t s) const { return static_cast<std::uint16_t>(s); }
  std::uint16_t Apply(std::uint16_t, Prepared s) const { return s; }
};

template <>
struct PixelBlend<Rgb565, BlendOp::Alpha> {
  struct Prepared {
    int r, g, b;
  };
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const {
    return {pixel_detail::Red565(s), pixel_detail::Green565(s), pixel_detail::Blue565(s)};
  }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const { return pixel_detail::Mix565(d, s.r, s.g, s.b, p_); }
  int p_;
};

template <>
struct PixelBlend<Rgb565, BlendOp::InvertedAlpha> {
  using Prepared = PixelBlend<Rgb565, BlendOp::Alpha>::Prepared;
  explicit PixelBlend(int p) : alpha_(p) {}
  Prepared Prepare(std::uint32_t s) const { return alpha_.Prepare(~s & 0xFFFFu); }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const { return alpha_.Apply(d, s); }
  PixelBlend<Rgb565, BlendOp::Alpha> alpha_;
};

// Source scaled by p on its 5-, 6- and 5-bit channel numbers.
inline std::uint32_t ScaleSource565(std::uint32_t s, int p) {
  const auto q = static_cast<std::uint32_t>(p);
  return pixel_detail::ScaleExact(q, (s >> 11) & 0x1F) << 11 | pixel_detail::ScaleExact(q, (s >> 5) & 0x3F) << 5 |
         pixel_detail::ScaleExact(q, s & 0x1F);
}

template <>
struct PixelBlend<Rgb565, BlendOp::Add> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const { return ScaleSource565(s, p_); }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const {
    const std::uint32_t t = (d & 0xF7DFu) + (s & 0xF7DFu);
    const std::uint32_t c = t & 0x10820u;
    return static_cast<std::uint16_t>((c - (c >> 5)) | ((d | s) & 0x820u) | t);
  }
  int p_;
};

template <>
struct PixelBlend<Rgb565, BlendOp::Subtract> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const { return ScaleSource565(s, p_); }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const {
    const std::uint32_t t = (d | 0x10820u) - (s & 0xF7DFu);
    const std::uint32_t c = t & 0x10820u;
    return static_cast<std::uint16_t>((c - (c >> 5)) & t);
  }
  int p_;
};

template <>
struct PixelBlend<Rgb565, BlendOp::Multiply> {
  using Prepared = std::uint32_t;
  explicit PixelBlend(int) {}
  Prepared Prepare(std::uint32_t s) const { return s & 0xFFFFu; }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const {
    const std::uint32_t dd = d;
    return static_cast<std::uint16_t>((((dd & 0xF800u) * (s & 0xF800u)) >> 16 & 0xF800u) |
                                      (((dd & 0x7E0u) * (s & 0x7E0u)) >> 11 & 0x7E0u) |
                                      (((dd & 0x1Fu) * (s & 0x1Fu)) >> 5));
  }
};

template <>
struct PixelBlend<Rgb565, BlendOp::MultiplyAlpha> {
  using Prepared = PixelBlend<Rgb565, BlendOp::Alpha>::Prepared;
  explicit PixelBlend(int p) : p_(p) {}
  Prepared Prepare(std::uint32_t s) const {
    return {pixel_detail::Red565(s), pixel_detail::Green565(s), pixel_detail::Blue565(s)};
  }
  std::uint16_t Apply(std::uint16_t d, Prepared s) const {
    const int dr = pixel_detail::Red565(d), dg = pixel_detail::Green565(d), db = pixel_detail::Blue565(d);
    return pixel_detail::Mix565(d, (dr * s.r) >> 5, (dg * s.g) >> 6, (db * s.b) >> 5, p_);
  }
  int p_;
};

// ---- Draw brightness ---------------------------------------------------------------------

inline bool IsFullBrightness(const std::uint8_t bright[3]) {
  return bright[0] == 255 && bright[1] == 255 && bright[2] == 255;
}

// Each channel c becomes (c × factor) >> 8 at its own width; bright is red, green, blue.
// The 32-bit filler byte, and everything above the low 16 bits of a 5:6:5 value, stay as they were.
inline std::uint32_t ApplyBrightness(Rgb32, std::uint32_t color, const std::uint8_t bright[3]) {
  const std::uint32_t r = ((color >> 16 & 0xFF) * bright[0]) >> 8;
  const std::uint32_t g = ((color >> 8 & 0xFF) * bright[1]) >> 8;
  const std::uint32_t b = ((color & 0xFF) * bright[2]) >> 8;
  return (color & 0xFF000000u) | r << 16 | g << 8 | b;
}

inline std::uint32_t ApplyBrightness(Rgb565, std::uint32_t color, const std::uint8_t bright[3]) {
  const std::uint32_t r = ((color >> 11 & 0x1F) * bright[0]) >> 8;
  const std::uint32_t g = ((color >> 5 & 0x3F) * bright[1]) >> 8;
  const std::uint32_t b = ((color & 0x1F) * bright[2]) >> 8;
  return (color & 0xFFFF0000u) | r << 11 | g << 5 | b;
}
