// Runs of pixels blended with one colour (disc rows, and later rectangle fills): the per-pixel
// operations of pixel_ops.h, several pixels at a time with SSE2 where it pays. The vector forms
// compute the same integers as the scalar ones; the scalar form finishes each run's tail.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixel_ops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The scalar span, for every format and kind.
template <class Format, BlendKind Kind>
class ScalarSpan {
 public:
  using Pixel = typename Format::Pixel;
  ScalarSpan(std::uint32_t color, int p) : op_(p), source_(op_.Prepare(color)) {}
  Pixel Apply(Pixel d) const { return op_.Apply(d, source_); }
  void Run(Pixel* row, std::ptrdiff_t count) const {
    for (std::ptrdiff_t i = 0; i < count; ++i) row[i] = Apply(row[i]);
  }

 private:
  BlendOp<Format, Kind> op_;
  typename BlendOp<Format, Kind>::Prepared source_;
};

#if defined(__SSE2__)

namespace span_detail {

// Each vector kernel supplies Vector(d) for 16 bytes of pixels.
template <class Format, BlendKind Kind, class Kernel>
class VectorSpan {
 public:
  using Pixel = typename Format::Pixel;
  static constexpr std::ptrdiff_t kPerVector = 16 / sizeof(Pixel);
  VectorSpan(std::uint32_t color, int p) : scalar_(color, p), kernel_(color, p) {}
  void Run(Pixel* row, std::ptrdiff_t count) const {
    if (count < kPerVector) {
      for (std::ptrdiff_t i = 0; i < count; ++i) row[i] = scalar_.Apply(row[i]);
      return;
    }
    const std::ptrdiff_t whole = count - count % kPerVector;
    const std::ptrdiff_t tail = count - whole;
    if (tail != 0) {
      // The pixels past the last whole vector go first, as the last vector of the run with
      // the result taken only for them: no scalar tail, nothing outside the run touched, and
      // on all but the shortest runs the loop below reaches the lanes they share well after
      // this store has landed.
      static constexpr std::uint8_t kMaskBytes[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
      const __m128i mask = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMaskBytes + tail * sizeof(Pixel)));
      auto* at = reinterpret_cast<__m128i*>(row + count - kPerVector);
      const __m128i d = _mm_loadu_si128(at);
      _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(mask, kernel_.Vector(d)), _mm_andnot_si128(mask, d)));
    }
    for (std::ptrdiff_t i = 0; i < whole; i += kPerVector) {
      auto* at = reinterpret_cast<__m128i*>(row + i);
      _mm_storeu_si128(at, kernel_.Vector(_mm_loadu_si128(at)));
    }
  }

 private:
  ScalarSpan<Format, Kind> scalar_;
  Kernel kernel_;
};

// 16-bit lanes per byte of two XRGB pixels: weights and addends in b, g, r, x order.
inline __m128i Lanes(int b, int g, int r, int x) {
  return _mm_set_epi16(static_cast<short>(x), static_cast<short>(r), static_cast<short>(g), static_cast<short>(b),
                       static_cast<short>(x), static_cast<short>(r), static_cast<short>(g), static_cast<short>(b));
}

// (d × weight + addend) >> 8 on every byte; sums stay below 65536.
inline __m128i WeighBytes(__m128i d, __m128i weight, __m128i addend) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), weight), addend), 8);
  const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), weight), addend), 8);
  return _mm_packus_epi16(lo, hi);
}

// d × (256 − p) + s × p per colour byte; the filler byte has weight 256 and addend 0.
struct Mix32Kernel {
  Mix32Kernel(std::uint32_t s, int p)
      : weight(Lanes(256 - p, 256 - p, 256 - p, 256)),
        addend(Lanes(static_cast<int>(s & 0xFF) * p, static_cast<int>(s >> 8 & 0xFF) * p,
                     static_cast<int>(s >> 16 & 0xFF) * p, 0)) {}
  __m128i Vector(__m128i d) const { return WeighBytes(d, weight, addend); }
  __m128i weight, addend;
};

struct Alpha32Kernel : Mix32Kernel {
  Alpha32Kernel(std::uint32_t s, int p) : Mix32Kernel(s, p) {}
};
struct InvertedAlpha32Kernel : Mix32Kernel {
  InvertedAlpha32Kernel(std::uint32_t s, int p) : Mix32Kernel(~s & 0xFFFFFFu, p) {}
};

struct Multiply32Kernel {
  Multiply32Kernel(std::uint32_t s, int)
      : weight(Lanes(static_cast<int>(s & 0xFF), static_cast<int>(s >> 8 & 0xFF), static_cast<int>(s >> 16 & 0xFF), 256)) {}
  __m128i Vector(__m128i d) const { return WeighBytes(d, weight, _mm_setzero_si128()); }
  __m128i weight;
};

// m = d × s >> 8, then d × (256 − p) + m × p; the filler byte's m is d itself.
struct MultiplyAlpha32Kernel {
  MultiplyAlpha32Kernel(std::uint32_t s, int p)
      : source(Lanes(static_cast<int>(s & 0xFF), static_cast<int>(s >> 8 & 0xFF), static_cast<int>(s >> 16 & 0xFF), 256)),
        keep(_mm_set1_epi16(static_cast<short>(256 - p))),
        mix(_mm_set1_epi16(static_cast<short>(p))) {}
  __m128i Half(__m128i d) const {
    const __m128i m = _mm_srli_epi16(_mm_mullo_epi16(d, source), 8);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, keep), _mm_mullo_epi16(m, mix)), 8);
  }
  __m128i Vector(__m128i d) const {
    const __m128i zero = _mm_setzero_si128();
    return _mm_packus_epi16(Half(_mm_unpacklo_epi8(d, zero)), Half(_mm_unpackhi_epi8(d, zero)));
  }
  __m128i source, keep, mix;
};

struct Add32Kernel {
  Add32Kernel(std::uint32_t s, int p) : scaled(_mm_set1_epi32(static_cast<int>(ScaleSource32(s, p)))) {}
  __m128i Vector(__m128i d) const {
    const __m128i t = _mm_add_epi32(_mm_and_si128(d, _mm_set1_epi32(0xFEFEFF)), _mm_and_si128(scaled, _mm_set1_epi32(0xFEFEFF)));
    const __m128i c = _mm_and_si128(t, _mm_set1_epi32(0x1010100));
    return _mm_or_si128(_mm_or_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 8)),
                                     _mm_and_si128(_mm_or_si128(d, scaled), _mm_set1_epi32(0x10100))),
                        t);
  }
  __m128i scaled;
};

struct Subtract32Kernel {
  Subtract32Kernel(std::uint32_t s, int p) : scaled(_mm_set1_epi32(static_cast<int>(ScaleSource32(s, p)))) {}
  __m128i Vector(__m128i d) const {
    const __m128i t = _mm_sub_epi32(_mm_or_si128(d, _mm_set1_epi32(0x1010100)),
                                    _mm_and_si128(scaled, _mm_set1_epi32(static_cast<int>(0xFEFEFEFFu))));
    const __m128i c = _mm_and_si128(t, _mm_set1_epi32(0x1010100));
    return _mm_and_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 8)), t);
  }
  __m128i scaled;
};

// 5:6:5 channels in 16-bit lanes.
struct Channels565 {
  __m128i r, g, b;
};
inline Channels565 Split565(__m128i d) {
  return {_mm_srli_epi16(d, 11), _mm_and_si128(_mm_srli_epi16(d, 5), _mm_set1_epi16(0x3F)),
          _mm_and_si128(d, _mm_set1_epi16(0x1F))};
}
inline __m128i Join565(const Channels565& c) {
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(c.r, 11), _mm_slli_epi16(c.g, 5)), c.b);
}
inline Channels565 Constant565(std::uint32_t s) {
  return {_mm_set1_epi16(static_cast<short>(s >> 11 & 0x1F)), _mm_set1_epi16(static_cast<short>(s >> 5 & 0x3F)),
          _mm_set1_epi16(static_cast<short>(s & 0x1F))};
}

// d + p × (s − d) / 255 truncated toward zero; |p × (s − d)| ≤ 255 × 63 fits a signed lane.
inline __m128i MixChannel(__m128i d, __m128i s, __m128i p) {
  const __m128i x = _mm_mullo_epi16(_mm_sub_epi16(s, d), p);
  const __m128i sign = _mm_srai_epi16(x, 15);
  const __m128i a = _mm_sub_epi16(_mm_xor_si128(x, sign), sign);
  const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(a, _mm_set1_epi16(1)), _mm_srli_epi16(a, 8)), 8);
  return _mm_add_epi16(d, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
}

struct Mix565Kernel {
  Mix565Kernel(std::uint32_t s, int p) : source(Constant565(s)), factor(_mm_set1_epi16(static_cast<short>(p))) {}
  __m128i Vector(__m128i d) const {
    const Channels565 c = Split565(d);
    return Join565({MixChannel(c.r, source.r, factor), MixChannel(c.g, source.g, factor), MixChannel(c.b, source.b, factor)});
  }
  Channels565 source;
  __m128i factor;
};
struct Alpha565Kernel : Mix565Kernel {
  Alpha565Kernel(std::uint32_t s, int p) : Mix565Kernel(s, p) {}
};
struct InvertedAlpha565Kernel : Mix565Kernel {
  InvertedAlpha565Kernel(std::uint32_t s, int p) : Mix565Kernel(~s & 0xFFFFu, p) {}
};

// The packed 5:6:5 product, channel by channel: red (dr × sr) >> 5, green (dg × sg) >> 6,
// blue (db × sb) >> 5, which is what its masked 32-bit products leave.
inline Channels565 Product565(const Channels565& d, const Channels565& s) {
  return {_mm_srli_epi16(_mm_mullo_epi16(d.r, s.r), 5), _mm_srli_epi16(_mm_mullo_epi16(d.g, s.g), 6),
          _mm_srli_epi16(_mm_mullo_epi16(d.b, s.b), 5)};
}

struct Multiply565Kernel {
  Multiply565Kernel(std::uint32_t s, int) : source(Constant565(s)) {}
  __m128i Vector(__m128i d) const { return Join565(Product565(Split565(d), source)); }
  Channels565 source;
};

struct MultiplyAlpha565Kernel {
  MultiplyAlpha565Kernel(std::uint32_t s, int p) : source(Constant565(s)), factor(_mm_set1_epi16(static_cast<short>(p))) {}
  __m128i Vector(__m128i d) const {
    const Channels565 c = Split565(d);
    const Channels565 m = Product565(c, source);
    return Join565({MixChannel(c.r, m.r, factor), MixChannel(c.g, m.g, factor), MixChannel(c.b, m.b, factor)});
  }
  Channels565 source;
  __m128i factor;
};

// Packed 5:6:5 add and subtract carry into bit 16, so they run in 32-bit lanes.
template <class Op32>
struct Widened565Kernel {
  Widened565Kernel(std::uint32_t s, int p) : op(s, p) {}
  static __m128i Narrow(__m128i lo, __m128i hi) {
    // Sign-extend the low halves so that the saturating pack keeps them exactly.
    lo = _mm_srai_epi32(_mm_slli_epi32(lo, 16), 16);
    hi = _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16);
    return _mm_packs_epi32(lo, hi);
  }
  __m128i Vector(__m128i d) const {
    const __m128i zero = _mm_setzero_si128();
    return Narrow(op.Vector(_mm_unpacklo_epi16(d, zero)), op.Vector(_mm_unpackhi_epi16(d, zero)));
  }
  Op32 op;
};

struct AddWide565 {
  AddWide565(std::uint32_t s, int p) : scaled(_mm_set1_epi32(static_cast<int>(ScaleSource565(s, p)))) {}
  __m128i Vector(__m128i d) const {
    const __m128i mask = _mm_set1_epi32(0xF7DF);
    const __m128i t = _mm_add_epi32(_mm_and_si128(d, mask), _mm_and_si128(scaled, mask));
    const __m128i c = _mm_and_si128(t, _mm_set1_epi32(0x10820));
    return _mm_or_si128(_mm_or_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 5)),
                                     _mm_and_si128(_mm_or_si128(d, scaled), _mm_set1_epi32(0x820))),
                        t);
  }
  __m128i scaled;
};

struct SubtractWide565 {
  SubtractWide565(std::uint32_t s, int p) : scaled(_mm_set1_epi32(static_cast<int>(ScaleSource565(s, p) & 0xF7DF))) {}
  __m128i Vector(__m128i d) const {
    const __m128i t = _mm_sub_epi32(_mm_or_si128(d, _mm_set1_epi32(0x10820)), scaled);
    const __m128i c = _mm_and_si128(t, _mm_set1_epi32(0x10820));
    return _mm_and_si128(_mm_sub_epi32(c, _mm_srli_epi32(c, 5)), t);
  }
  __m128i scaled;
};

template <class Format, BlendKind Kind>
struct KernelFor {
  using Type = void;
};
template <> struct KernelFor<Rgb32, BlendKind::Alpha> { using Type = Alpha32Kernel; };
template <> struct KernelFor<Rgb32, BlendKind::InvertedAlpha> { using Type = InvertedAlpha32Kernel; };
template <> struct KernelFor<Rgb32, BlendKind::Multiply> { using Type = Multiply32Kernel; };
template <> struct KernelFor<Rgb32, BlendKind::MultiplyAlpha> { using Type = MultiplyAlpha32Kernel; };
template <> struct KernelFor<Rgb32, BlendKind::Add> { using Type = Add32Kernel; };
template <> struct KernelFor<Rgb32, BlendKind::Subtract> { using Type = Subtract32Kernel; };
template <> struct KernelFor<Rgb565, BlendKind::Alpha> { using Type = Alpha565Kernel; };
template <> struct KernelFor<Rgb565, BlendKind::InvertedAlpha> { using Type = InvertedAlpha565Kernel; };
template <> struct KernelFor<Rgb565, BlendKind::Multiply> { using Type = Multiply565Kernel; };
template <> struct KernelFor<Rgb565, BlendKind::MultiplyAlpha> { using Type = MultiplyAlpha565Kernel; };
template <> struct KernelFor<Rgb565, BlendKind::Add> { using Type = Widened565Kernel<AddWide565>; };
template <> struct KernelFor<Rgb565, BlendKind::Subtract> { using Type = Widened565Kernel<SubtractWide565>; };

template <class Format, BlendKind Kind, class Kernel = typename KernelFor<Format, Kind>::Type>
struct Choose {
  using Type = VectorSpan<Format, Kind, Kernel>;
};
// Plain copies already vectorise as written.
template <class Format, BlendKind Kind>
struct Choose<Format, Kind, void> {
  using Type = ScalarSpan<Format, Kind>;
};

}  // namespace span_detail

template <class Format, BlendKind Kind>
using SolidSpan = typename span_detail::Choose<Format, Kind>::Type;

#else

template <class Format, BlendKind Kind>
using SolidSpan = ScalarSpan<Format, Kind>;

#endif
