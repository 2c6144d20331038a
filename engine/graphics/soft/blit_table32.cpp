#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan32(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<32>(op, kind, graph, bright);
}

SolidRunsFn FindSolidRuns32(BlendKind kind) { return VORNEK_BLIT_NS::blit_detail::solid_detail::FindSolidRuns<Rgb32>(kind); }
