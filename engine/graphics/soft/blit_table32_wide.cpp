// The 32-bit blit loops again, built for AVX2 (see engine/CMakeLists.txt): 256-bit groups.
#define VORNEK_BLIT_WIDE 1
#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan32Wide(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<32>(op, kind, graph, bright);
}

FillGroupsFn FindFillGroups32Wide(BlitOp op) { return VORNEK_BLIT_NS::blit_detail::FindFillGroups(op); }
