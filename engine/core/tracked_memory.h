// Tracked memory: every engine allocation carries a header that links it into the live list and
// holds a copy of itself, so damage is found and leaks are listed at shut-down.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vornek.h"  // DumpAllocations, CheckAllocations

struct BlockHeaderFields {
  char file[16];  // the source file's last 15 bytes, zero-terminated
  std::uint16_t id;
  std::uint16_t line;
  std::uint32_t size;
  struct BlockHeader* next;  // the next older block, or the sentinel
  struct BlockHeader* prev;  // the next newer block, or null at the head
};

// The caller's data follows the header, 16-byte aligned.
struct alignas(16) BlockHeader {
  BlockHeaderFields fields;
  BlockHeaderFields copy;  // equal to fields while the header is intact
};

constexpr std::size_t BlockHeaderSize = sizeof(BlockHeader);
static_assert(BlockHeaderSize % 16 == 0);

void* TrackedAlloc(std::size_t size, const char* file, int line);
void* TrackedCalloc(std::size_t size, const char* file, int line);
void* TrackedRealloc(void* pointer, std::size_t newSize, const char* file, int line);
void TrackedFree(void* pointer);

// One log line describing the block: size, origin, id, address and its first 16 bytes.
void LogBlock(const BlockHeader* header);
// The end of the shut-down: the blocks still alive are listed as leaks.
void WriteMemoryReport();
// How many blocks are alive.
int LiveBlockCount();
