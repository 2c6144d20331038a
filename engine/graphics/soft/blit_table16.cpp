#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan16(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<16>(op, kind, graph, bright);
}

SolidRunsFn FindSolidRuns16(BlendKind kind) { return VORNEK_BLIT_NS::blit_detail::solid_detail::FindSolidRuns<Rgb565>(kind); }
