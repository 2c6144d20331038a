#include "tracked_memory.h"

#include <cstdlib>

// Plain heap blocks for now; block headers and the report come with the allocator.
void* TrackedAlloc(std::size_t size, const char*, int) { return std::malloc(size == 0 ? 1 : size); }
void* TrackedCalloc(std::size_t size, const char*, int) { return std::calloc(1, size == 0 ? 1 : size); }
void* TrackedRealloc(void* pointer, std::size_t newSize, const char*, int) {
  return std::realloc(pointer, newSize == 0 ? 1 : newSize);
}
void TrackedFree(void* pointer) { std::free(pointer); }
void WriteMemoryReport() {}
