// The baseline (SSE2) rows of the loop table: blits of both formats, in two files so that the
// halves compile in parallel, and the solid-colour runs.
#include "blit_table_impl.h"

namespace loop_instances {

AnyLoop Blits(const LoopKey& key) {
  using namespace VORNEK_BLIT_NS::blit_detail;
  return key.destination == TargetLayout::Rgb32 ? FindVariant<32>(key) : Blits16(key);
}

AnyLoop SolidRuns(const LoopKey& key) { return VORNEK_BLIT_NS::blit_detail::solid_detail::SolidRunsFor(key); }

}  // namespace loop_instances
