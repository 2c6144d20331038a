// The 32-bit blit loops and the solid-colour runs of both formats again, built for AVX2 (see
// engine/CMakeLists.txt): 256-bit groups.
#define VORNEK_BLIT_WIDE 1
#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan32Wide(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<32>(op, kind, graph, bright);
}

SolidRunsFn FindSolidRuns32Wide(BlendKind kind) {
  return VORNEK_BLIT_NS::blit_detail::solid_detail::FindSolidRuns<Rgb32>(kind);
}
SolidRunsFn FindSolidRuns16Wide(BlendKind kind) {
  return VORNEK_BLIT_NS::blit_detail::solid_detail::FindSolidRuns<Rgb565>(kind);
}
