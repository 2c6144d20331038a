#include "../common/platform_contract.h"
#include "platform/kernel32.h"
#include "../common/heap_blocks.h"

namespace {
heap_blocks::ProcessHeap processHeap;
}

HANDLE GetProcessHeap() { return &processHeap; }

void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t size) {
  return heap_blocks::IsHeap(heap) ? heap_blocks::Allocate(flags, size) : nullptr;
}

void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t size) {
  return heap_blocks::IsHeap(heap) ? heap_blocks::Resize(flags, block, size) : nullptr;
}

BOOL HeapFree(HANDLE heap, DWORD, void* block) {
  if (!heap_blocks::IsHeap(heap)) return FALSE;
  heap_blocks::Free(block);
  return TRUE;
}
