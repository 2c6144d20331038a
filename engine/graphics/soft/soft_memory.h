// Where the software renderer's memory comes from. The engine defines these over its tracked
// allocator (graphics/soft_memory.cpp), so every block shows in the memory report; the renderer
// itself knows nothing of how blocks are tracked.
#pragma once

#include <cstddef>

// Null when the memory cannot be had.
void* SoftAllocate(std::size_t size);
void* SoftAllocateZeroed(std::size_t size);
// Takes null.
void SoftRelease(void* pointer);
