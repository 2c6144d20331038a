// The 32-bit blit loops and the solid-colour runs of both formats again, built for AVX2 (see
// engine/CMakeLists.txt): 256-bit groups.
#define VORNEK_BLIT_WIDE 1
#include "blit_table_impl.h"

namespace loop_instances {

AnyLoop WideBlits(const LoopKey& key) {
  return key.destination == TargetLayout::Rgb32 ? VORNEK_BLIT_NS::blit_detail::FindVariant<32>(key) : WideBlits16(key);
}

AnyLoop WideSolidRuns(const LoopKey& key) { return VORNEK_BLIT_NS::blit_detail::solid_detail::SolidRunsFor(key); }

}  // namespace loop_instances
