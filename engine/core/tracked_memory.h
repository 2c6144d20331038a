// Tracked memory: every engine allocation goes through these calls.
#pragma once

#include <cstddef>

void* TrackedAlloc(std::size_t size, const char* file, int line);
void* TrackedCalloc(std::size_t size, const char* file, int line);
void* TrackedRealloc(void* pointer, std::size_t newSize, const char* file, int line);
void TrackedFree(void* pointer);
// Lists the blocks still alive in the log.
void WriteMemoryReport();
