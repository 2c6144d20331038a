// Vector forms of the blend operations without per-pixel weights, giving exactly the integers
// of the scalar forms in blit_kernel.h and pixel_ops.h. Products are formed on 16-bit lanes,
// where every one used here fits. Written once over the register operations below; a
// translation unit built with VORNEK_BLIT_WIDE gets 256-bit registers (eight 32-bit or sixteen
// 5:6:5 pixels), every other one SSE2's 128 bits. See blit_isa.h.
#pragma once

#include <cstdint>

#include "blit_isa.h"
#include "blit_op.h"

#if VORNEK_BLIT_WIDE
#include <immintrin.h>
#else
#include <emmintrin.h>
#endif

namespace VORNEK_BLIT_NS::blit_vector {

#if VORNEK_BLIT_WIDE
using Reg = __m256i;
inline Reg LoadU(const void* p) { return _mm256_loadu_si256(static_cast<const Reg*>(p)); }
inline void StoreU(void* p, Reg v) { _mm256_storeu_si256(static_cast<Reg*>(p), v); }
inline Reg Set16(std::uint32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
inline Reg Set32(std::uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
inline Reg Zero() { return _mm256_setzero_si256(); }
inline Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
inline Reg AndNot(Reg a, Reg b) { return _mm256_andnot_si256(a, b); }
inline Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
inline Reg Xor(Reg a, Reg b) { return _mm256_xor_si256(a, b); }
inline Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
inline Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
inline Reg Add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
inline Reg Sub32(Reg a, Reg b) { return _mm256_sub_epi32(a, b); }
inline Reg Mullo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
inline Reg MulhiU16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
inline Reg Srl16(Reg a, int n) { return _mm256_srli_epi16(a, n); }
inline Reg Sll16(Reg a, int n) { return _mm256_slli_epi16(a, n); }
inline Reg Srl32(Reg a, int n) { return _mm256_srli_epi32(a, n); }
inline Reg Sll32(Reg a, int n) { return _mm256_slli_epi32(a, n); }
inline Reg Eq16(Reg a, Reg b) { return _mm256_cmpeq_epi16(a, b); }
inline Reg Eq32(Reg a, Reg b) { return _mm256_cmpeq_epi32(a, b); }
inline Reg Lt16(Reg a, Reg b) { return _mm256_cmpgt_epi16(b, a); }
inline Reg AddSatU8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
inline Reg SubSatU8(Reg a, Reg b) { return _mm256_subs_epu8(a, b); }
inline Reg AddSatU16(Reg a, Reg b) { return _mm256_adds_epu16(a, b); }
inline Reg SubSatU16(Reg a, Reg b) { return _mm256_subs_epu16(a, b); }
// Within each 128-bit half, so that PackU16 of the two unpacked halves restores the order.
inline Reg UnpackLo8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
inline Reg UnpackHi8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
inline Reg PackU16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
// a where mask is set, b elsewhere; mask bytes are all ones or all zeros.
inline Reg Select(Reg mask, Reg a, Reg b) { return _mm256_blendv_epi8(b, a, mask); }
#else
using Reg = __m128i;
inline Reg LoadU(const void* p) { return _mm_loadu_si128(static_cast<const Reg*>(p)); }
inline void StoreU(void* p, Reg v) { _mm_storeu_si128(static_cast<Reg*>(p), v); }
inline Reg Set16(std::uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
inline Reg Set32(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
inline Reg Zero() { return _mm_setzero_si128(); }
inline Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
inline Reg AndNot(Reg a, Reg b) { return _mm_andnot_si128(a, b); }
inline Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
inline Reg Xor(Reg a, Reg b) { return _mm_xor_si128(a, b); }
inline Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
inline Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
inline Reg Add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
inline Reg Sub32(Reg a, Reg b) { return _mm_sub_epi32(a, b); }
inline Reg Mullo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
inline Reg MulhiU16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
inline Reg Srl16(Reg a, int n) { return _mm_srli_epi16(a, n); }
inline Reg Sll16(Reg a, int n) { return _mm_slli_epi16(a, n); }
inline Reg Srl32(Reg a, int n) { return _mm_srli_epi32(a, n); }
inline Reg Sll32(Reg a, int n) { return _mm_slli_epi32(a, n); }
inline Reg Eq16(Reg a, Reg b) { return _mm_cmpeq_epi16(a, b); }
inline Reg Eq32(Reg a, Reg b) { return _mm_cmpeq_epi32(a, b); }
inline Reg Lt16(Reg a, Reg b) { return _mm_cmpgt_epi16(b, a); }
inline Reg AddSatU8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
inline Reg SubSatU8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
inline Reg AddSatU16(Reg a, Reg b) { return _mm_adds_epu16(a, b); }
inline Reg SubSatU16(Reg a, Reg b) { return _mm_subs_epu16(a, b); }
// Within each 128-bit half, so that PackU16 of the two unpacked halves restores the order.
inline Reg UnpackLo8(Reg a, Reg b) { return _mm_unpacklo_epi8(a, b); }
inline Reg UnpackHi8(Reg a, Reg b) { return _mm_unpackhi_epi8(a, b); }
inline Reg PackU16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
inline Reg Select(Reg mask, Reg a, Reg b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
#endif

struct Constants {
  Reg p;               // p in every 16-bit lane
  Reg inverseP;        // 256 − p
  Reg inversePFiller;  // 256 − p in the low lane of each 32-bit pixel, 256 in the high one
  Reg pLow;            // p in the low lane of each 32-bit pixel, 0 in the high one
  Reg k;               // p >> 2, the 6-bit weight of Mix63Table
  Reg inverseK;        // 63 − k
  // p × c / 255 for c ≤ 255 is the multiply-high of c by ceil(p × 65536 / 255); at p = 255
  // that factor does not fit in a lane, and c itself is kept instead.
  Reg scaleFactor;
  Reg scaleKeep;
  Reg scaleKeep32;  // the colour bytes of a 32-bit pixel at p = 255, else 0
};

inline Constants MakeConstants(std::uint32_t p) {
  const bool whole = p >= 255;
  return {Set16(static_cast<std::uint32_t>(p)),
          Set16(static_cast<std::uint32_t>(256 - p)),
          Set32(256u << 16 | (256 - p)),
          Set32(p),
          Set16(static_cast<std::uint32_t>(p >> 2)),
          Set16(static_cast<std::uint32_t>(63 - (p >> 2))),
          Set16(static_cast<std::uint32_t>(whole ? 0 : (p * 65536 + 254) / 255)),
          Set16(static_cast<std::uint32_t>(whole ? 0xFFFF : 0)),
          Set32(whole ? 0xFFFFFFu : 0u)};
}

inline Reg Splat32(std::uint32_t v) { return Set32(v); }
inline Reg Splat16(std::uint32_t v) { return Set16(v); }

// x / 255 for 16-bit lanes holding 0 to 255 × 255.
inline Reg Div255(Reg x) { return Srl16(MulhiU16(x, Splat16(0x8081u)), 7); }
// (d × (256 − p) + s × p) >> 8 on 16-bit lanes.
inline Reg Mix(Reg s, Reg d, const Constants& c) { return Srl16(Add16(Mullo16(d, c.inverseP), Mullo16(s, c.p)), 8); }

// ---- 32-bit: four XRGB pixels, channels widened to 16-bit lanes two pixels at a time --------

template <class Fn>
inline Reg PerChannel32(Reg s, Reg d, Fn fn) {
  const Reg zero = Zero();
  const Reg lo = fn(UnpackLo8(s, zero), UnpackLo8(d, zero));
  const Reg hi = fn(UnpackHi8(s, zero), UnpackHi8(d, zero));
  return PackU16(lo, hi);
}

// Colour bytes from v, filler byte from d.
inline Reg KeepFiller32(Reg v, Reg d) {
  const Reg filler = Splat32(0xFF000000u);
  return Or(AndNot(filler, v), And(filler, d));
}

// For a scaled source s, filler byte 0. The scalar form turns each carry out of a byte into
// saturation of that byte and keeps the carry bits themselves; the byte-saturating add gives
// the first, the plain sum of the masked halves the second. Saturating with the source's low
// green and red bits left in gives the same bytes as or-ing them in afterwards: they land on
// an even sum, and an even sum of 255 or more is already 256.
inline Reg PackedAdd32(Reg d, Reg s) {
  const Reg dm = And(d, Splat32(0xFEFEFFu));
  return Or(Or(AddSatU8(dm, s), Add32(dm, And(s, Splat32(0xFEFEFFu)))), And(d, Splat32(0x10100u)));
}
inline Reg PackedSubtract32(Reg d, Reg s) {
  const Reg t = Sub32(Or(d, Splat32(0x1010100u)), And(s, Splat32(0xFEFEFEFFu)));
  const Reg c = And(t, Splat32(0x1010100u));
  return And(Sub32(c, Srl32(c, 8)), t);
}
// p × c / 255 on 16-bit lanes holding channels c ≤ 255.
inline Reg ScaleChannels(Reg c, const Constants& k) { return Add16(MulhiU16(c, k.scaleFactor), And(c, k.scaleKeep)); }
// Source channels scaled by p < 255, filler byte 0. Green is scaled where it stands, in the
// upper byte of its 16-bit lane: the multiply-high then holds its quotient in that byte, with
// fraction bits below that the mask drops.
inline Reg Scale32BelowWhole(Reg s, const Constants& c) {
  const Reg redBlue = MulhiU16(And(s, Splat32(0xFF00FFu)), c.scaleFactor);
  const Reg green = And(MulhiU16(And(s, Splat32(0xFF00u)), c.scaleFactor), Splat32(0xFF00u));
  return Or(redBlue, green);
}
// Any p: at 255 both products are 0 and the colour bytes come through whole.
inline Reg Scale32(Reg s, const Constants& c) { return Or(Scale32BelowWhole(s, c), And(s, c.scaleKeep32)); }

// ---- 16-bit: eight 5:6:5 pixels, each channel in its own register ------------------------

struct Channels16 {
  Reg r, g, b;
};
inline Channels16 Split16(Reg v) { return {Srl16(v, 11), And(Srl16(v, 5), Splat16(63)), And(v, Splat16(31))}; }
inline Reg Join16(const Channels16& c) { return Or(Or(Sll16(c.r, 11), Sll16(c.g, 5)), c.b); }
// The packed 5:6:5 forms on 16-bit lanes. Their one bit above the lane, bit 16 of T, is the
// carry (or the absence of a borrow) out of red, worked out separately as a mask.
inline Reg PackedAdd16(Reg d, Reg s) {
  const Reg t = Add16(And(d, Splat16(0xF7DFu)), And(s, Splat16(0xF7DFu)));
  const Reg redCarry = Eq16(AddSatU16(And(d, Splat16(0xF000u)), And(s, Splat16(0xF000u))), Splat16(0xFFFFu));
  const Reg c = And(t, Splat16(0x0820u));
  const Reg saturated = Or(Sub16(c, Srl16(c, 5)), And(redCarry, Splat16(0xF800u)));
  return Or(Or(saturated, And(Or(d, s), Splat16(0x820u))), t);
}
inline Reg PackedSubtract16(Reg d, Reg s) {
  const Reg minuend = Or(d, Splat16(0x0820u));
  const Reg subtrahend = And(s, Splat16(0xF7DFu));
  const Reg t = Sub16(minuend, subtrahend);
  const Reg noBorrow = Eq16(SubSatU16(subtrahend, minuend), Zero());
  const Reg c = And(t, Splat16(0x0820u));
  const Reg keep = Or(Sub16(c, Srl16(c, 5)), And(noBorrow, Splat16(0xF800u)));
  return And(keep, t);
}
inline Reg Scale16(Reg s, const Constants& c) {
  const Channels16 ch = Split16(s);
  return Join16({ScaleChannels(ch.r, c), ScaleChannels(ch.g, c), ScaleChannels(ch.b, c)});
}
// (s × k + d × (63 − k)) / 63, the Mix63Table entry.
inline Reg Mix63(Reg s, Reg d, const Constants& c) {
  const Reg sum = Add16(Mullo16(s, c.k), Mullo16(d, c.inverseK));
  return Srl16(MulhiU16(sum, Splat16(2081)), 1);
}
// d + p × (s − d) / 255 truncated toward zero, the SignedScaleTable step of the solid-colour forms.
inline Reg SignedStep(Reg s, Reg d, const Constants& c) {
  const Reg diff = Sub16(s, d);
  const Reg negative = Lt16(diff, Zero());
  const Reg magnitude = Sub16(Xor(diff, negative), negative);
  const Reg q = Div255(Mullo16(magnitude, c.p));
  return Add16(d, Sub16(Xor(q, negative), negative));
}

// The new pixels for destination d and source s under an operation without per-pixel weights.
// BelowWhole promises p < 255, which spares the 32-bit add and subtract a step.
template <int Bits, BlendOp Op, bool BelowWhole = false>
inline Reg Blend(Reg d, Reg s, const Constants& c) {
  if constexpr (Op == BlendOp::Copy) {
    return s;
  } else if constexpr (Op == BlendOp::AlphaHalf) {
    const Reg half = Bits == 32 ? Splat32(0x7F7F7Fu) : Splat16(0x7BEFu);
    if constexpr (Bits == 32) {
      return Add32(And(Srl32(s, 1), half), And(Srl32(d, 1), half));
    } else {
      return Add16(And(Srl16(s, 1), half), And(Srl16(d, 1), half));
    }
  } else if constexpr (Op == BlendOp::AddBytes) {
    return AddSatU8(d, s);
  } else if constexpr (Op == BlendOp::SubtractBytes) {
    return SubSatU8(d, s);
  } else if constexpr (Bits == 32) {
    if constexpr (Op == BlendOp::Alpha || Op == BlendOp::InvertedAlpha) {
      // Mixed in place, without unpacking: x & 0x00FF00FF holds blue and red in 16-bit lanes,
      // x >> 8 green and the filler. The high lanes' results are wanted in their upper byte,
      // where they already are before the shift; the filler is weighted 256 against a source
      // weighted 0, which gives it back unchanged.
      const Reg source = Op == BlendOp::InvertedAlpha ? Xor(s, Splat32(0xFFFFFFu)) : s;
      const Reg byteLow = Splat32(0xFF00FFu);
      const Reg low = Srl16(Add16(Mullo16(And(d, byteLow), c.inverseP), Mullo16(And(source, byteLow), c.p)), 8);
      const Reg high = Add16(Mullo16(Srl16(d, 8), c.inversePFiller), Mullo16(Srl16(source, 8), c.pLow));
      return Or(low, And(high, Splat16(0xFF00u)));
    } else if constexpr (Op == BlendOp::Add) {
      return PackedAdd32(d, BelowWhole ? Scale32BelowWhole(s, c) : Scale32(s, c));
    } else if constexpr (Op == BlendOp::Subtract) {
      return PackedSubtract32(d, BelowWhole ? Scale32BelowWhole(s, c) : Scale32(s, c));
    } else if constexpr (Op == BlendOp::Multiply) {
      return KeepFiller32(PerChannel32(s, d, [](Reg sw, Reg dw) { return Srl16(Mullo16(sw, dw), 8); }), d);
    } else if constexpr (Op == BlendOp::MultiplyAlpha) {
      return KeepFiller32(PerChannel32(s, d, [&](Reg sw, Reg dw) { return Mix(Srl16(Mullo16(sw, dw), 8), dw, c); }), d);
    }
  } else {
    if constexpr (Op == BlendOp::Alpha || Op == BlendOp::InvertedAlpha) {
      const Channels16 sc = Split16(Op == BlendOp::InvertedAlpha ? Xor(s, Splat16(0xFFFFu)) : s);
      const Channels16 dc = Split16(d);
      return Join16({Mix63(sc.r, dc.r, c), Mix63(sc.g, dc.g, c), Mix63(sc.b, dc.b, c)});
    } else if constexpr (Op == BlendOp::Add) {
      return PackedAdd16(d, Scale16(s, c));
    } else if constexpr (Op == BlendOp::Subtract) {
      return PackedSubtract16(d, Scale16(s, c));
    } else if constexpr (Op == BlendOp::Multiply || Op == BlendOp::MultiplyAlpha) {
      const Channels16 sc = Split16(s), dc = Split16(d);
      const Channels16 m{Srl16(Mullo16(sc.r, dc.r), 5), Srl16(Mullo16(sc.g, dc.g), 6), Srl16(Mullo16(sc.b, dc.b), 5)};
      if constexpr (Op == BlendOp::Multiply) return Join16(m);
      return Join16({Mix(m.r, dc.r, c), Mix(m.g, dc.g, c), Mix(m.b, dc.b, c)});
    }
  }
}

}  // namespace VORNEK_BLIT_NS::blit_vector
