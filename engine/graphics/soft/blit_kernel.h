// The one pixel loop of the image blits, specialised at compile time over the destination
// format, the resolved blend operation, the kind of source pixel, blend graph and brightness.
// Every blit path (whole rows, transparency runs, scaled and triangle spans) ends in a
// BlitSpan over n destination pixels and n source pixels laid side by side. Operations with no
// per-pixel weight run whole register groups through blit_vector's forms first; the scalar
// loop below is the general one and finishes each span.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "blit_isa.h"
#include "blit_op.h"
#include "blit_vector.h"
#include "packed_arith.h"

namespace VORNEK_BLIT_NS {

namespace blit_detail {

template <class T>
inline T Load(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
inline void Store(std::uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

template <int Bits>
struct Format;
template <>
struct Format<32> {
  using Pixel = std::uint32_t;
  static constexpr std::uint32_t shift[3] = {0, 8, 16};
  static constexpr std::uint32_t max[3] = {255, 255, 255};
  static constexpr std::uint32_t width[3] = {8, 8, 8};
  static constexpr std::uint32_t keep = 0xFF000000u;  // filler byte, left alone by channel mixes
};
template <>
struct Format<16> {
  using Pixel = std::uint16_t;
  static constexpr std::uint32_t shift[3] = {0, 5, 11};
  static constexpr std::uint32_t max[3] = {31, 63, 31};
  static constexpr std::uint32_t width[3] = {5, 6, 5};
  static constexpr std::uint32_t keep = 0;
};

template <int Bits, SourceKind K>
constexpr int SourceBytes() {
  if constexpr (K == SourceKind::Palette || K == SourceKind::PaletteKeyed) return 1;
  if constexpr (Bits == 32) return 4;
  if constexpr (K == SourceKind::Alpha || K == SourceKind::AlphaKeyed || K == SourceKind::DirectWide) return 4;
  return 2;
}

template <int Bits>
inline std::uint32_t Channel(std::uint32_t v, int i) {
  return (v >> Format<Bits>::shift[i]) & Format<Bits>::max[i];
}

// (d × 256^k + (s − d) × W) >> 8k, written without the negative intermediate.
inline std::uint32_t Mix(std::uint32_t s, std::uint32_t d, std::uint32_t w, std::uint32_t shift) {
  return (d * ((1u << shift) - w) + s * w) >> shift;
}

}  // namespace blit_detail

// PerPixel leaves out the whole-row copy and the register groups: the general row of the loop
// table, which the tests hold every other loop against.
template <int Bits, BlendOp Op, SourceKind K, bool Graph, bool Bright, bool PerPixel>
void BlitSpan(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* graph, int count,
              const BlitContext& ctx) {
  using namespace blit_detail;
  using F = Format<Bits>;
  using DstT = typename F::Pixel;
  constexpr int srcBytes = SourceBytes<Bits, K>();
  using SrcT =
      std::conditional_t<srcBytes == 1, std::uint8_t, std::conditional_t<srcBytes == 2, std::uint16_t, std::uint32_t>>;
  constexpr bool alphaKind = K == SourceKind::Alpha || K == SourceKind::AlphaKeyed;
  constexpr std::uint32_t colorMask = Bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  const std::uint32_t p = ctx.param;
  const std::uint32_t trans = ctx.transColor;

  if constexpr (!PerPixel && Op == BlendOp::Copy && !alphaKind && !Graph && !Bright &&
                (K == SourceKind::Direct || (Bits == 32 && K == SourceKind::DirectWide))) {
    std::memcpy(dst, src, static_cast<std::size_t>(count) * sizeof(DstT));
    return;
  }

  int i = 0;
  // Whole groups of pixels through the vector unit where no pixel carries its own weight.
  if constexpr (!PerPixel && (K == SourceKind::Direct || K == SourceKind::Keyed) && !Graph && !Bright) {
    using namespace blit_vector;
    // The resolver turns a 32-bit add or subtract at p = 255 into the byte forms, so these
    // groups scale for p < 255 only; a call that breaks that rule still gets the scalar loop.
    constexpr bool belowWhole = Bits == 32 && (Op == BlendOp::Add || Op == BlendOp::Subtract);
    const int grouped = belowWhole && p >= 255 ? 0 : count;
    constexpr int lanes = static_cast<int>(sizeof(Reg) / sizeof(DstT));
    const Constants constants = MakeConstants(p);
    const Reg key = Bits == 32 ? Splat32(trans) : Splat16(trans);
    // A 16-bit pixel never equals a transparent colour above 0xFFFF.
    const Reg keyEnable = Splat32(Bits == 16 && trans > 0xFFFFu ? 0u : 0xFFFFFFFFu);
    for (; i + lanes <= grouped; i += lanes) {
      std::uint8_t* at = dst + i * sizeof(DstT);
      const Reg d = LoadU(at);
      const Reg s = LoadU(src + i * srcBytes);
      Reg out = Blend<Bits, Op, belowWhole>(d, s, constants);
      if constexpr (K == SourceKind::Keyed) {
        const Reg same = And(Bits == 32 ? Eq32(s, key) : Eq16(s, key), keyEnable);
        out = Select(same, d, out);
      }
      StoreU(at, out);
    }
  }

  for (; i < count; ++i) {
    const std::uint32_t d = Load<DstT>(dst + i * sizeof(DstT));
    const std::uint32_t raw = Load<SrcT>(src + i * srcBytes);
    bool skip = false;
    std::uint32_t color = raw;  // the whole source value in the destination's layout
    std::uint32_t a = 255;
    if constexpr (K == SourceKind::Palette || K == SourceKind::PaletteKeyed) {
      if constexpr (K == SourceKind::PaletteKeyed) skip = raw == trans;
      color = ctx.palette[raw];
    } else if constexpr (K == SourceKind::Keyed) {
      skip = raw == trans;
    } else if constexpr (alphaKind) {
      a = Bits == 32 ? raw >> 24 : (raw >> 16) & 0xFFu;
      if constexpr (K == SourceKind::AlphaKeyed) skip = a == 0;
    }
    color &= colorMask;

    // Weights other than p: w is their product, shift is 8 per weight.
    std::uint32_t w = 1, shift = 0;
    if constexpr (alphaKind) {
      if (a != 255) {
        w = a;
        shift = 8;
      }
    }
    if constexpr (Graph) {
      w *= ctx.graphTable[graph[i]];
      shift += 8;
    }

    std::uint32_t s[3], dc[3];
    for (int c = 0; c < 3; ++c) {
      s[c] = Channel<Bits>(color, c);
      dc[c] = Channel<Bits>(d, c);
      if constexpr (Bright) s[c] = Div255(ctx.bright[c] * s[c]);
    }
    auto join = [](const std::uint32_t* ch) {
      return (ch[0] << F::shift[0]) | (ch[1] << F::shift[1]) | (ch[2] << F::shift[2]);
    };

    std::uint32_t out;
    if constexpr (Op == BlendOp::Copy) {
      if (shift == 0) {
        out = Bright ? (d & F::keep) | join(s) : color;
      } else {
        std::uint32_t m[3];
        for (int c = 0; c < 3; ++c) m[c] = Mix(s[c], dc[c], w, shift);
        out = (d & F::keep) | join(m);
      }
    } else if constexpr (Op == BlendOp::AlphaHalf) {
      constexpr std::uint32_t half = Bits == 32 ? 0x7F7F7Fu : 0x7BEFu;
      out = ((color >> 1) & half) + ((d >> 1) & half);
    } else if constexpr (Op == BlendOp::Alpha || Op == BlendOp::InvertedAlpha) {
      if constexpr (Op == BlendOp::InvertedAlpha) {
        for (int c = 0; c < 3; ++c) s[c] = F::max[c] - s[c];
      }
      std::uint32_t m[3];
      // Only images without alpha mix through 6-bit weights, in their opaque runs too.
      if constexpr (Bits == 16 && !alphaKind && K != SourceKind::DirectWide && !Graph) {
        const std::uint32_t k = p >> 2;
        for (int c = 0; c < 3; ++c) m[c] = Div63(s[c] * k + dc[c] * (63 - k));
      } else {
        for (int c = 0; c < 3; ++c) m[c] = Mix(s[c], dc[c], w * p, shift + 8);
      }
      out = (d & F::keep) | join(m);
    } else if constexpr (Op == BlendOp::Add || Op == BlendOp::Subtract) {
      std::uint32_t scaled[3];
      for (int c = 0; c < 3; ++c) scaled[c] = shift == 0 ? Div255(p * s[c]) : (s[c] * w * p) >> (shift + 8);
      const std::uint32_t sv = join(scaled);
      if constexpr (Bits == 32) {
        out = Op == BlendOp::Add ? PackedAdd32(d, sv) : PackedSubtract32(d, sv);
      } else {
        out = Op == BlendOp::Add ? PackedAdd16(d, sv) : PackedSubtract16(d, sv);
      }
    } else if constexpr (Op == BlendOp::AddBytes) {
      out = ByteSaturatingAdd32(d, color);
    } else if constexpr (Op == BlendOp::SubtractBytes) {
      out = ByteSaturatingSubtract32(d, color);
    } else if constexpr (Op == BlendOp::Multiply) {
      std::uint32_t m[3];
      for (int c = 0; c < 3; ++c) m[c] = (dc[c] * s[c] * w) >> (F::width[c] + shift);
      out = (d & F::keep) | join(m);
    } else if constexpr (Op == BlendOp::MultiplyAlpha) {
      std::uint32_t m[3];
      for (int c = 0; c < 3; ++c) m[c] = Mix((dc[c] * s[c]) >> F::width[c], dc[c], w * p, shift + 8);
      out = (d & F::keep) | join(m);
    }
    Store<DstT>(dst + i * sizeof(DstT), static_cast<DstT>(skip ? d : out));
  }
}

}  // namespace VORNEK_BLIT_NS
