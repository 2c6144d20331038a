// The 5:6:5 blit loops again, built for AVX2 (see engine/CMakeLists.txt): sixteen pixels a group.
#define VORNEK_BLIT_WIDE 1
#include "blit_table_impl.h"

BlitSpanFn FindBlitSpan16Wide(BlitOp op, SourceKind kind, bool graph, bool bright) {
  return VORNEK_BLIT_NS::blit_detail::FindVariant<16>(op, kind, graph, bright);
}
