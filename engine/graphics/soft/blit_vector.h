// SSE2 forms of the blend operations without per-pixel weights: four 32-bit or eight 5:6:5
// pixels at a time, giving exactly the integers of the scalar forms in blit_kernel.h and
// pixel_ops.h. Products are formed on 16-bit lanes, where every one used here fits.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "blit_op.h"

namespace blit_vector {

struct Constants {
  __m128i p;         // p in every 16-bit lane
  __m128i inverseP;  // 256 − p
  __m128i k;         // p >> 2, the 6-bit weight of Mix63Table
  __m128i inverseK;  // 63 − k
  // p × c / 255 for c ≤ 255 is the multiply-high of c by ceil(p × 65536 / 255); at p = 255
  // that factor does not fit in a lane, and c itself is kept instead.
  __m128i scaleFactor;
  __m128i scaleKeep;
};

inline Constants MakeConstants(std::uint32_t p) {
  const bool whole = p >= 255;
  return {_mm_set1_epi16(static_cast<short>(p)),
          _mm_set1_epi16(static_cast<short>(256 - p)),
          _mm_set1_epi16(static_cast<short>(p >> 2)),
          _mm_set1_epi16(static_cast<short>(63 - (p >> 2))),
          _mm_set1_epi16(static_cast<short>(whole ? 0 : (p * 65536 + 254) / 255)),
          _mm_set1_epi16(static_cast<short>(whole ? 0xFFFF : 0))};
}

inline __m128i Splat32(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
inline __m128i Splat16(std::uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }

// x / 255 for 16-bit lanes holding 0 to 255 × 255.
inline __m128i Div255(__m128i x) { return _mm_srli_epi16(_mm_mulhi_epu16(x, Splat16(0x8081u)), 7); }
// (d × (256 − p) + s × p) >> 8 on 16-bit lanes.
inline __m128i Mix(__m128i s, __m128i d, const Constants& c) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, c.inverseP), _mm_mullo_epi16(s, c.p)), 8);
}

// ---- 32-bit: four XRGB pixels, channels widened to 16-bit lanes two pixels at a time --------

template <class Fn>
inline __m128i PerChannel32(__m128i s, __m128i d, Fn fn) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = fn(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i hi = fn(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  return _mm_packus_epi16(lo, hi);
}

// Colour bytes from v, filler byte from d.
inline __m128i KeepFiller32(__m128i v, __m128i d) {
  const __m128i filler = Splat32(0xFF000000u);
  return _mm_or_si128(_mm_andnot_si128(filler, v), _mm_and_si128(filler, d));
}

inline __m128i PackedAdd32(__m128i d, __m128i s) {
  const __m128i t = _mm_add_epi32(_mm_and_si128(d, Splat32(0xFEFEFFu)), _mm_and_si128(s, Splat32(0xFEFEFFu)));
  const __m128i c = _mm_and_si128(t, Splat32(0x1010100u));
  return _mm_or_si128(_mm_or_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 8)), _mm_and_si128(_mm_or_si128(d, s), Splat32(0x10100u))), t);
}
inline __m128i PackedSubtract32(__m128i d, __m128i s) {
  const __m128i t = _mm_sub_epi32(_mm_or_si128(d, Splat32(0x1010100u)), _mm_and_si128(s, Splat32(0xFEFEFEFFu)));
  const __m128i c = _mm_and_si128(t, Splat32(0x1010100u));
  return _mm_and_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 8)), t);
}
// p × c / 255 on 16-bit lanes holding channels c ≤ 255.
inline __m128i ScaleChannels(__m128i c, const Constants& k) {
  return _mm_add_epi16(_mm_mulhi_epu16(c, k.scaleFactor), _mm_and_si128(c, k.scaleKeep));
}
// Source channels scaled by p, filler byte 0: red and blue in one register, green in another.
inline __m128i Scale32(__m128i s, const Constants& c) {
  const __m128i redBlue = ScaleChannels(_mm_and_si128(s, Splat32(0xFF00FFu)), c);
  const __m128i green = ScaleChannels(_mm_and_si128(_mm_srli_epi32(s, 8), Splat32(0xFFu)), c);
  return _mm_or_si128(redBlue, _mm_slli_epi32(green, 8));
}

// ---- 16-bit: eight 5:6:5 pixels, each channel in its own register ------------------------

struct Channels16 {
  __m128i r, g, b;
};
inline Channels16 Split16(__m128i v) {
  return {_mm_srli_epi16(v, 11), _mm_and_si128(_mm_srli_epi16(v, 5), Splat16(63)), _mm_and_si128(v, Splat16(31))};
}
inline __m128i Join16(const Channels16& c) {
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(c.r, 11), _mm_slli_epi16(c.g, 5)), c.b);
}
// The packed 5:6:5 forms on 16-bit lanes. Their one bit above the lane, bit 16 of T, is the
// carry (or the absence of a borrow) out of red, worked out separately as a mask.
inline __m128i PackedAdd16(__m128i d, __m128i s) {
  const __m128i t = _mm_add_epi16(_mm_and_si128(d, Splat16(0xF7DFu)), _mm_and_si128(s, Splat16(0xF7DFu)));
  const __m128i redCarry = _mm_cmpeq_epi16(
      _mm_adds_epu16(_mm_and_si128(d, Splat16(0xF000u)), _mm_and_si128(s, Splat16(0xF000u))), Splat16(0xFFFFu));
  const __m128i c = _mm_and_si128(t, Splat16(0x0820u));
  const __m128i saturated = _mm_or_si128(_mm_sub_epi16(c, _mm_srli_epi16(c, 5)), _mm_and_si128(redCarry, Splat16(0xF800u)));
  return _mm_or_si128(_mm_or_si128(saturated, _mm_and_si128(_mm_or_si128(d, s), Splat16(0x820u))), t);
}
inline __m128i PackedSubtract16(__m128i d, __m128i s) {
  const __m128i minuend = _mm_or_si128(d, Splat16(0x0820u));
  const __m128i subtrahend = _mm_and_si128(s, Splat16(0xF7DFu));
  const __m128i t = _mm_sub_epi16(minuend, subtrahend);
  const __m128i noBorrow = _mm_cmpeq_epi16(_mm_subs_epu16(subtrahend, minuend), _mm_setzero_si128());
  const __m128i c = _mm_and_si128(t, Splat16(0x0820u));
  const __m128i keep = _mm_or_si128(_mm_sub_epi16(c, _mm_srli_epi16(c, 5)), _mm_and_si128(noBorrow, Splat16(0xF800u)));
  return _mm_and_si128(keep, t);
}
inline __m128i Scale16(__m128i s, const Constants& c) {
  const Channels16 ch = Split16(s);
  return Join16({ScaleChannels(ch.r, c), ScaleChannels(ch.g, c), ScaleChannels(ch.b, c)});
}
// (s × k + d × (63 − k)) / 63, the Mix63Table entry.
inline __m128i Mix63(__m128i s, __m128i d, const Constants& c) {
  const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(s, c.k), _mm_mullo_epi16(d, c.inverseK));
  return _mm_srli_epi16(_mm_mulhi_epu16(sum, Splat16(2081)), 1);
}
// d + p × (s − d) / 255 truncated toward zero, the SignedScaleTable step of the solid-colour forms.
inline __m128i SignedStep(__m128i s, __m128i d, const Constants& c) {
  const __m128i diff = _mm_sub_epi16(s, d);
  const __m128i negative = _mm_cmplt_epi16(diff, _mm_setzero_si128());
  const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(diff, negative), negative);
  const __m128i q = Div255(_mm_mullo_epi16(magnitude, c.p));
  return _mm_add_epi16(d, _mm_sub_epi16(_mm_xor_si128(q, negative), negative));
}

// The new pixels for destination d and source s under an operation without per-pixel weights.
template <int Bits, BlitOp Op>
inline __m128i Blend(__m128i d, __m128i s, const Constants& c) {
  if constexpr (Op == BlitOp::Copy) {
    return s;
  } else if constexpr (Op == BlitOp::AlphaHalf) {
    const __m128i half = Bits == 32 ? Splat32(0x7F7F7Fu) : Splat16(0x7BEFu);
    if constexpr (Bits == 32) {
      return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), half), _mm_and_si128(_mm_srli_epi32(d, 1), half));
    } else {
      return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(s, 1), half), _mm_and_si128(_mm_srli_epi16(d, 1), half));
    }
  } else if constexpr (Op == BlitOp::AddBytes) {
    return _mm_adds_epu8(d, s);
  } else if constexpr (Op == BlitOp::SubtractBytes) {
    return _mm_subs_epu8(d, s);
  } else if constexpr (Bits == 32) {
    if constexpr (Op == BlitOp::Alpha || Op == BlitOp::InvertedAlpha) {
      const __m128i source = Op == BlitOp::InvertedAlpha ? _mm_xor_si128(s, Splat32(0xFFFFFFu)) : s;
      return KeepFiller32(PerChannel32(source, d, [&](__m128i sw, __m128i dw) { return Mix(sw, dw, c); }), d);
    } else if constexpr (Op == BlitOp::Add) {
      return PackedAdd32(d, Scale32(s, c));
    } else if constexpr (Op == BlitOp::Subtract) {
      return PackedSubtract32(d, Scale32(s, c));
    } else if constexpr (Op == BlitOp::Multiply) {
      return KeepFiller32(PerChannel32(s, d, [](__m128i sw, __m128i dw) { return _mm_srli_epi16(_mm_mullo_epi16(sw, dw), 8); }), d);
    } else if constexpr (Op == BlitOp::MultiplyAlpha) {
      return KeepFiller32(PerChannel32(s, d, [&](__m128i sw, __m128i dw) {
                            return Mix(_mm_srli_epi16(_mm_mullo_epi16(sw, dw), 8), dw, c);
                          }),
                          d);
    }
  } else {
    if constexpr (Op == BlitOp::Alpha || Op == BlitOp::InvertedAlpha) {
      const Channels16 sc = Split16(Op == BlitOp::InvertedAlpha ? _mm_xor_si128(s, Splat16(0xFFFFu)) : s);
      const Channels16 dc = Split16(d);
      return Join16({Mix63(sc.r, dc.r, c), Mix63(sc.g, dc.g, c), Mix63(sc.b, dc.b, c)});
    } else if constexpr (Op == BlitOp::Add) {
      return PackedAdd16(d, Scale16(s, c));
    } else if constexpr (Op == BlitOp::Subtract) {
      return PackedSubtract16(d, Scale16(s, c));
    } else if constexpr (Op == BlitOp::Multiply || Op == BlitOp::MultiplyAlpha) {
      const Channels16 sc = Split16(s), dc = Split16(d);
      const Channels16 m{_mm_srli_epi16(_mm_mullo_epi16(sc.r, dc.r), 5), _mm_srli_epi16(_mm_mullo_epi16(sc.g, dc.g), 6),
                         _mm_srli_epi16(_mm_mullo_epi16(sc.b, dc.b), 5)};
      if constexpr (Op == BlitOp::Multiply) return Join16(m);
      return Join16({Mix(m.r, dc.r, c), Mix(m.g, dc.g, c), Mix(m.b, dc.b, c)});
    }
  }
}

}  // namespace blit_vector
