// The software renderer's blocks, from the engine's tracked allocator. They carry no source
// place in the memory report, as before the renderer was a target of its own.
#include "soft/soft_memory.h"

#include "../core/tracked_memory.h"

void* SoftAllocate(std::size_t size) { return TrackedAlloc(size, "", 0); }
void* SoftAllocateZeroed(std::size_t size) { return TrackedCalloc(size, "", 0); }
void SoftRelease(void* pointer) { TrackedFree(pointer); }
