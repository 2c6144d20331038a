// Builds the table of BlitSpan instances for one destination format. Included once per format
// so that the two halves compile in parallel.
#pragma once

#include <utility>

#include "blit_kernel.h"
#include "blit_table.h"

namespace VORNEK_BLIT_NS::blit_detail {

constexpr int OpCount = static_cast<int>(BlitOp::Count);
constexpr int KindCount = static_cast<int>(SourceKind::Count);
constexpr int VariantCount = OpCount * KindCount * 4;

template <int Bits, int Index>
constexpr BlitSpanFn VariantAt() {
  constexpr BlitOp op = static_cast<BlitOp>(Index / (KindCount * 4));
  constexpr SourceKind kind = static_cast<SourceKind>(Index / 4 % KindCount);
  constexpr bool graph = (Index & 2) != 0;
  constexpr bool bright = (Index & 1) != 0;
  if constexpr (BlitVariantExists(Bits, op, kind, graph, bright)) {
    return &BlitSpan<Bits, op, kind, graph, bright>;
  } else {
    return nullptr;
  }
}

// A plain array in this namespace: no library template is instantiated here, so the wide
// build shares no definition with the baseline one.
struct VariantTable {
  BlitSpanFn entries[VariantCount];
};

template <int Bits, std::size_t... I>
constexpr VariantTable MakeVariantTable(std::index_sequence<I...>) {
  return {{VariantAt<Bits, static_cast<int>(I)>()...}};
}

template <int Bits>
BlitSpanFn FindVariant(BlitOp op, SourceKind kind, bool graph, bool bright) {
  static constexpr auto table = MakeVariantTable<Bits>(std::make_index_sequence<VariantCount>());
  const int index = (static_cast<int>(op) * KindCount + static_cast<int>(kind)) * 4 + (graph ? 2 : 0) + (bright ? 1 : 0);
  return table.entries[index];
}

// Solid-colour 32-bit fills: whole register groups of a row; returns how many pixels it did.
template <BlitOp Op>
int FillGroups32(std::uint8_t* row, int count, std::uint32_t color, std::uint32_t p) {
  using namespace blit_vector;
  constexpr int lanes = static_cast<int>(sizeof(Reg) / 4);
  const Constants constants = MakeConstants(p);
  const Reg source = Splat32(color);
  int i = 0;
  for (; i + lanes <= count; i += lanes) {
    std::uint8_t* at = row + i * 4;
    StoreU(at, Blend<32, Op>(LoadU(at), source, constants));
  }
  return i;
}

inline FillGroupsFn FindFillGroups(BlitOp op) {
  switch (op) {
    case BlitOp::Alpha:
      return &FillGroups32<BlitOp::Alpha>;
    case BlitOp::Add:
      return &FillGroups32<BlitOp::Add>;
    case BlitOp::Subtract:
      return &FillGroups32<BlitOp::Subtract>;
    case BlitOp::Multiply:
      return &FillGroups32<BlitOp::Multiply>;
    case BlitOp::InvertedAlpha:
      return &FillGroups32<BlitOp::InvertedAlpha>;
    case BlitOp::MultiplyAlpha:
      return &FillGroups32<BlitOp::MultiplyAlpha>;
    default:
      return &FillGroups32<BlitOp::Copy>;
  }
}

}  // namespace VORNEK_BLIT_NS::blit_detail
