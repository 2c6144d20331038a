// The BlitSpan instances for one destination format, and the solid-colour runs, as the loop
// table's rows name them. Included once per format and width (and once for the general
// per-pixel blits), so that the parts compile in parallel and share one source.
#pragma once

#include <algorithm>
#include <cstring>
#include <utility>

#include "blit_kernel.h"
#include "blit_table.h"
#include "loop_table.h"
#include "pixel_ops.h"

namespace VORNEK_BLIT_NS::blit_detail {

constexpr int OpCount = static_cast<int>(BlendOp::Count);
constexpr int KindCount = static_cast<int>(SourceKind::Count);
constexpr int VariantCount = OpCount * KindCount * 4;

template <int Bits, bool PerPixel, int Index>
constexpr BlitSpanFn VariantAt() {
  constexpr BlendOp op = static_cast<BlendOp>(Index / (KindCount * 4));
  constexpr SourceKind kind = static_cast<SourceKind>(Index / 4 % KindCount);
  constexpr bool graph = (Index & 2) != 0;
  constexpr bool bright = (Index & 1) != 0;
  if constexpr (BlitVariantExists(Bits, op, kind, graph, bright)) {
    return &BlitSpan<Bits, op, kind, graph, bright, PerPixel>;
  } else {
    return nullptr;
  }
}

// A plain array in this namespace: no library template is instantiated here, so the wide
// build shares no definition with the baseline one.
struct VariantTable {
  BlitSpanFn entries[VariantCount];
};

template <int Bits, bool PerPixel, std::size_t... I>
constexpr VariantTable MakeVariantTable(std::index_sequence<I...>) {
  return {{VariantAt<Bits, PerPixel, static_cast<int>(I)>()...}};
}

template <int Bits, bool PerPixel = false>
AnyLoop FindVariant(const LoopKey& key) {
  static constexpr auto table = MakeVariantTable<Bits, PerPixel>(std::make_index_sequence<VariantCount>());
  const int index = (static_cast<int>(key.op) * KindCount + static_cast<int>(key.source)) * 4 +
                    ((key.options & kGraphOption) ? 2 : 0) + ((key.options & kBrightOption) ? 1 : 0);
  return reinterpret_cast<AnyLoop>(table.entries[index]);
}

// ---- Runs of one colour ------------------------------------------------------------------

namespace solid_detail {

using namespace blit_vector;

// 5:6:5 pixels under the solid-colour forms that step by SignedScaleTable.
template <BlendOp Op>
Reg SignedStepFill16(Reg d, Reg s, const Constants& c) {
  const Channels16 dc = Split16(d);
  Channels16 target = Split16(Op == BlendOp::InvertedAlpha ? Xor(s, Splat16(0xFFFFu)) : s);
  if constexpr (Op == BlendOp::MultiplyAlpha) {
    target = {Srl16(Mullo16(target.r, dc.r), 5), Srl16(Mullo16(target.g, dc.g), 6), Srl16(Mullo16(target.b, dc.b), 5)};
  }
  return Join16({SignedStep(target.r, dc.r, c), SignedStep(target.g, dc.g, c), SignedStep(target.b, dc.b, c)});
}

template <class Format, BlendOp Op>
Reg FillVector(Reg d, Reg s, const Constants& c) {
  constexpr bool signedStep = Op == BlendOp::Alpha || Op == BlendOp::InvertedAlpha || Op == BlendOp::MultiplyAlpha;
  if constexpr (std::is_same_v<Format, Rgb565> && signedStep) {
    return SignedStepFill16<Op>(d, s, c);
  } else {
    return Blend < std::is_same_v<Format, Rgb32> ? 32 : 16, Op > (d, s, c);
  }
}

// Runs of a small disc lie on rows a pitch apart, each on its own lines, where the processor's
// own prefetching does not look: their lines are asked for a few runs ahead.
constexpr int kPrefetchAhead = 4;

inline void PrefetchRun(const SolidRun& run, int bytes) {
  // Past its first lines a long run is read in order, which the processor follows by itself.
  constexpr std::uintptr_t kMostBytes = 8 * 64;
  const auto start = reinterpret_cast<std::uintptr_t>(run.row);
  const std::uintptr_t end =
      start + std::min(static_cast<std::uintptr_t>(run.count) * static_cast<std::uintptr_t>(bytes), kMostBytes);
  for (std::uintptr_t line = start & ~std::uintptr_t{63}; line < end; line += 64) {
    _mm_prefetch(reinterpret_cast<const char*>(line), _MM_HINT_T0);
  }
}

struct Chunk16 {
  std::uint8_t bytes[16];
};

// A register of pixels blended with one colour: the forms above with the colour spread once.
template <class Format, BlendOp Op>
struct SolidKernel {
  SolidKernel(std::uint32_t color, std::uint32_t p)
      : constants(MakeConstants(p)), source(sizeof(typename Format::Pixel) == 4 ? Splat32(color) : Splat16(color)) {}
  Reg operator()(Reg d) const { return FillVector<Format, Op>(d, source, constants); }
  Constants constants;
  Reg source;
};

// The 32-bit mixes and products with one colour need no unpacking: d & 0x00FF00FF holds blue
// and red in 16-bit lanes, d >> 8 green and the filler byte. The high lanes' results are wanted
// in their upper byte, where they already are before the shift. The filler lane is weighted
// 256 with nothing added, which gives it back unchanged.
inline Reg ByteLanesLow(Reg d) { return And(d, Splat16(0xFFu)); }
inline Reg ByteLanesHigh(Reg d) { return Srl16(d, 8); }
inline Reg JoinByteLanes(Reg low, Reg highInUpperByte) { return Or(low, And(highInUpperByte, Splat16(0xFF00u))); }
// Per-lane values: blue and red, or green and the filler.
inline Reg LowLanes(std::uint32_t c, std::uint32_t f) { return Set32((f * (c >> 16 & 0xFFu)) << 16 | f * (c & 0xFFu)); }
inline Reg HighLanes(std::uint32_t c, std::uint32_t f, std::uint32_t filler) {
  return Set32(filler << 16 | f * (c >> 8 & 0xFFu));
}

template <BlendOp Op>
requires(Op == BlendOp::Alpha || Op == BlendOp::InvertedAlpha) struct SolidKernel<Rgb32, Op> {
  // d × (256 − p) + s × p per byte.
  SolidKernel(std::uint32_t color, std::uint32_t p)
      : keepLow(Set16(256 - p)),
        keepHigh(Set32(256u << 16 | (256 - p))),
        addLow(LowLanes(Source(color), p)),
        addHigh(HighLanes(Source(color), p, 0)) {}
  static std::uint32_t Source(std::uint32_t color) { return Op == BlendOp::InvertedAlpha ? ~color : color; }
  Reg operator()(Reg d) const {
    return JoinByteLanes(Srl16(Add16(Mullo16(ByteLanesLow(d), keepLow), addLow), 8),
                         Add16(Mullo16(ByteLanesHigh(d), keepHigh), addHigh));
  }
  Reg keepLow, keepHigh, addLow, addHigh;
};

template <>
struct SolidKernel<Rgb32, BlendOp::Multiply> {
  // d × s >> 8 per byte.
  SolidKernel(std::uint32_t color, std::uint32_t) : low(LowLanes(color, 1)), high(HighLanes(color, 1, 256)) {}
  Reg operator()(Reg d) const {
    return JoinByteLanes(Srl16(Mullo16(ByteLanesLow(d), low), 8), Mullo16(ByteLanesHigh(d), high));
  }
  Reg low, high;
};

template <>
struct SolidKernel<Rgb32, BlendOp::MultiplyAlpha> {
  // m = d × s >> 8, then d × (256 − p) + m × p, written as d × 256 − (d − m) × p so that one
  // product does the mix; every term stays within 0 to 255 × 256. m is the multiply-high of d
  // by s × 256. In the high lanes d × 256 is d itself with the low byte cleared, and the filler
  // lane, with p 0, keeps its byte whatever its m.
  SolidKernel(std::uint32_t color, std::uint32_t p)
      : sourceLow(Set32((color >> 16 & 0xFFu) << 24 | (color & 0xFFu) << 8)),
        sourceHigh(Set32(color & 0xFF00u)),
        mixLow(Set16(p)),
        mixHigh(Set32(p)) {}
  Reg operator()(Reg d) const {
    const Reg low = ByteLanesLow(d), high = ByteLanesHigh(d);
    const Reg lowOut = Srl16(Sub16(Sll16(d, 8), Mullo16(Sub16(low, MulhiU16(low, sourceLow)), mixLow)), 8);
    const Reg highOut = Sub16(And(d, Splat16(0xFF00u)), Mullo16(Sub16(high, MulhiU16(high, sourceHigh)), mixHigh));
    return JoinByteLanes(lowOut, highOut);
  }
  Reg sourceLow, sourceHigh, mixLow, mixHigh;
};

// Copies the pixels of a run shorter than a register (size bytes, at least one pixel) as two
// fixed-size copies that overlap in the middle; they compile to plain moves, where a call to
// memcpy would cost more than the blend.
template <std::size_t kPixel, std::size_t kRegister>
inline void CopyShort(std::uint8_t* to, const std::uint8_t* from, std::size_t size) {
  auto twice = [&](auto chunk) {
    constexpr std::size_t width = sizeof chunk;
    decltype(chunk) end;
    std::memcpy(&chunk, from, width);
    std::memcpy(&end, from + (size - width), width);
    std::memcpy(to, &chunk, width);
    std::memcpy(to + (size - width), &end, width);
  };
  if constexpr (kRegister > 16) {
    if (size >= 16) return twice(Chunk16{});
  }
  if (size >= 8) return twice(std::uint64_t{});
  if constexpr (kPixel == 4) {
    twice(std::uint32_t{});
  } else {
    if (size >= 4) return twice(std::uint32_t{});
    twice(std::uint16_t{});
  }
}

// Every run in whole register groups. The last group of a run overlaps the one before it; it is
// read before any group is written, so the pixels they share come out the same from both, and
// stored last. A run shorter than a register is blended in a copy.
template <class Format, BlendOp Op>
void SolidRuns(const SolidRun* runs, int n, std::uint32_t color, std::uint32_t p) {
  using Pixel = typename Format::Pixel;
  constexpr int bytes = static_cast<int>(sizeof(Pixel));
  constexpr int lanes = static_cast<int>(sizeof(Reg)) / bytes;
  const SolidKernel<Format, Op> kernel(color, p);
  for (int k = 0; k < n && k < kPrefetchAhead; ++k) PrefetchRun(runs[k], bytes);
  for (int k = 0; k < n; ++k) {
    if (k + kPrefetchAhead < n) PrefetchRun(runs[k + kPrefetchAhead], bytes);
    std::uint8_t* row = runs[k].row;
    const int count = runs[k].count;
    if (count < lanes) {
      alignas(sizeof(Reg)) std::uint8_t copy[sizeof(Reg)] = {};
      const std::size_t size = static_cast<std::size_t>(count) * bytes;
      CopyShort<bytes, sizeof(Reg)>(copy, row, size);
      StoreU(copy, kernel(LoadU(copy)));
      CopyShort<bytes, sizeof(Reg)>(row, copy, size);
      continue;
    }
    std::uint8_t* lastAt = row + static_cast<std::ptrdiff_t>(count - lanes) * bytes;
    const Reg last = kernel(LoadU(lastAt));
    for (std::uint8_t* at = row; at < lastAt; at += sizeof(Reg)) StoreU(at, kernel(LoadU(at)));
    StoreU(lastAt, last);
  }
}

// SolidRuns<Format, Op> for the key's layout (Rgb32 or Rgb565) and operation.
inline AnyLoop SolidRunsFor(const LoopKey& key) {
  auto at = [&]<class Format>() {
    return WithSolidBlendOp(key.op, []<BlendOp Op>() { return reinterpret_cast<AnyLoop>(&SolidRuns<Format, Op>); });
  };
  switch (key.destination) {
    case TargetLayout::Rgb32:
      return at.template operator()<Rgb32>();
    case TargetLayout::Rgb565:
      return at.template operator()<Rgb565>();
    default:
      return nullptr;
  }
}

}  // namespace solid_detail

}  // namespace VORNEK_BLIT_NS::blit_detail
