// The fake process heap: the real one, with failure switches for exhausted memory.
#include "../common/platform_contract.h"
#include "fake_state.h"
#include "platform/kernel32.h"
#include "../common/heap_blocks.h"

namespace {
heap_blocks::ProcessHeap processHeap;
}

HANDLE GetProcessHeap() { return &processHeap; }

void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t size) {
  if (!heap_blocks::IsHeap(heap) || fake::Fails(fake::Failure::HeapAlloc)) return nullptr;
  return heap_blocks::Allocate(flags, size);
}

void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t size) {
  if (!heap_blocks::IsHeap(heap) || fake::Fails(fake::Failure::HeapReAlloc)) return nullptr;
  return heap_blocks::Resize(flags, block, size);
}

BOOL HeapFree(HANDLE heap, DWORD, void* block) {
  if (!heap_blocks::IsHeap(heap)) return FALSE;
  heap_blocks::Free(block);
  return TRUE;
}
