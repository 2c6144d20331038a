#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan32(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<32>(op, kind, graph, bright);
}

FillGroupsFn FindFillGroups32(BlitOp op) { return VORNEK_BLIT_NS::blit_detail::FindFillGroups(op); }
