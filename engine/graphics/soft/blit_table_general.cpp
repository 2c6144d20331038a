// The general row's blits: every instance pixel by pixel, with no whole-row copy or register
// groups. They run only under VORNEK_SOFT_GENERAL, so they are built once, at the baseline.
#include "blit_table_impl.h"

namespace loop_instances {

AnyLoop GeneralBlits(const LoopKey& key) {
  using namespace VORNEK_BLIT_NS::blit_detail;
  return key.destination == TargetLayout::Rgb32 ? FindVariant<32, true>(key) : FindVariant<16, true>(key);
}

}  // namespace loop_instances
