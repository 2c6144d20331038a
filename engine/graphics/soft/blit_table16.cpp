#include "blit_table_impl.h"

namespace loop_instances {

AnyLoop Blits16(const LoopKey& key) { return VORNEK_BLIT_NS::blit_detail::FindVariant<16>(key); }

}  // namespace loop_instances
