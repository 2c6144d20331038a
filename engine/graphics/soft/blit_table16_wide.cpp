// The 5:6:5 blit loops again, built for AVX2 (see engine/CMakeLists.txt): sixteen pixels a group.
#define VORNEK_BLIT_WIDE 1
#include "blit_table_impl.h"

namespace loop_instances {

AnyLoop WideBlits16(const LoopKey& key) { return VORNEK_BLIT_NS::blit_detail::FindVariant<16>(key); }

}  // namespace loop_instances
