// The process heap on malloc. Each block carries its requested size in a 16-byte prefix (which
// keeps the caller's bytes 16-byte aligned), so a resize can clear exactly the bytes it adds.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/kernel32.h"
#include "platform_object.h"

namespace heap_blocks {

constexpr std::size_t Prefix = 16;

struct ProcessHeap final : PlatformObject {
  ProcessHeap() : PlatformObject(PlatformObjectKind::Heap) {}
};

inline bool IsHeap(HANDLE heap) { return heap != nullptr && heap->kind == PlatformObjectKind::Heap; }

inline std::size_t& SizeOf(unsigned char* base) { return *reinterpret_cast<std::size_t*>(base); }

inline void* Allocate(DWORD flags, std::size_t size) {
  if (size > SIZE_MAX - Prefix) return nullptr;
  auto* base = static_cast<unsigned char*>(std::malloc(Prefix + size));
  if (base == nullptr) return nullptr;
  SizeOf(base) = size;
  if (flags & HEAP_ZERO_MEMORY) std::memset(base + Prefix, 0, size);
  return base + Prefix;
}

inline void* Resize(DWORD flags, void* block, std::size_t size) {
  if (block == nullptr || size > SIZE_MAX - Prefix) return nullptr;
  unsigned char* oldBase = static_cast<unsigned char*>(block) - Prefix;
  const std::size_t oldSize = SizeOf(oldBase);
  auto* base = static_cast<unsigned char*>(std::realloc(oldBase, Prefix + size));
  if (base == nullptr) return nullptr;
  SizeOf(base) = size;
  if ((flags & HEAP_ZERO_MEMORY) && size > oldSize) std::memset(base + Prefix + oldSize, 0, size - oldSize);
  return base + Prefix;
}

inline void Free(void* block) {
  if (block != nullptr) std::free(static_cast<unsigned char*>(block) - Prefix);
}

}  // namespace heap_blocks
