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

}  // namespace VORNEK_BLIT_NS::blit_detail
