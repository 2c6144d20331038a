#include "last_error.h"
#include "tracked_memory.h"

#include <cstdio>
#include <cstring>

#include "engine_state.h"
#include "log.h"
#include "platform/kernel32.h"
#include "engine_thread.h"

namespace {

// Ends the live list. Its own links change as the oldest block changes; nothing checks it.
BlockHeader AllocSentinel{};

BlockHeader* HeaderOf(void* data) {
  return reinterpret_cast<BlockHeader*>(static_cast<unsigned char*>(data) - BlockHeaderSize);
}
void* DataOf(BlockHeader* header) { return reinterpret_cast<unsigned char*>(header) + BlockHeaderSize; }

void RewriteCopy(BlockHeader* header) {
  if (header != nullptr) std::memcpy(&header->copy, &header->fields, sizeof header->fields);
}

void SetOrigin(BlockHeader* header, const char* file, int line) {
  std::memset(header->fields.file, 0, sizeof header->fields.file);
  if (file != nullptr) {
    const std::size_t keep = sizeof header->fields.file - 1;
    const std::size_t length = std::strlen(file);
    const char* tail = length > keep ? file + (length - keep) : file;
    std::memcpy(header->fields.file, tail, length > keep ? keep : length);
  }
  header->fields.line = static_cast<std::uint16_t>(line);
  header->fields.id = EngineState.AllocIdCounter++;
}

bool Traced(std::uint32_t size) {
  return EngineState.TraceSize < 0 || static_cast<std::uint32_t>(EngineState.TraceSize) == size || EngineState.TraceAll;
}

void LogTotals() {
  LogFormat("\tTotal size:%d(%.3fkb)  Alloc num:%d", static_cast<int>(EngineState.AllocTotalSize),
            static_cast<double>(static_cast<float>(EngineState.AllocTotalSize) * (1.0f / 1024.0f)),
            EngineState.AllocCount);
}

void TraceOperation(const char* what, BlockHeader* header) {
  if (Traced(header->fields.size)) {
    LogText(what);
    LogBlock(header);
  }
  if (EngineState.TraceTotals) LogTotals();
}

// Sizes are kept in 32 bits, and the header must fit in front of them.
bool SizeFits(std::size_t size) { return size <= UINT32_MAX && size <= SIZE_MAX - BlockHeaderSize; }

}  // namespace

void* TrackedAlloc(std::size_t size, const char* file, int line) {
  if (!SizeFits(size)) return nullptr;
  auto* header = static_cast<BlockHeader*>(HeapAlloc(GetProcessHeap(), 0, size + BlockHeaderSize));
  if (header == nullptr) {
    DumpAllocations();
    CheckAllocations();
    return nullptr;
  }
  header->fields.size = static_cast<std::uint32_t>(size);
  SetOrigin(header, file, line);

  if (EngineState.AllocListHead == nullptr) EngineState.AllocListHead = &AllocSentinel;
  BlockHeader* oldHead = EngineState.AllocListHead;
  oldHead->fields.prev = header;
  header->fields.next = oldHead;
  header->fields.prev = nullptr;
  EngineState.AllocListHead = header;
  RewriteCopy(header);
  RewriteCopy(oldHead);

  EngineState.AllocTotalSize += header->fields.size;
  ++EngineState.AllocCount;

  TraceOperation("mem alloc  ", header);
  if (EngineState.CheckEachOperation) CheckAllocations();
  return DataOf(header);
}

void* TrackedCalloc(std::size_t size, const char* file, int line) {
  void* data = TrackedAlloc(size, file, line);
  if (data != nullptr) std::memset(data, 0, size);
  return data;
}

void TrackedFree(void* pointer) {
  if (pointer == nullptr) return;
  BlockHeader* header = HeaderOf(pointer);
  EngineState.AllocTotalSize -= header->fields.size;
  --EngineState.AllocCount;
  if (EngineState.CheckEachOperation) CheckAllocations();

  BlockHeader* next = header->fields.next;
  BlockHeader* prev = header->fields.prev;
  if (next != nullptr) next->fields.prev = prev;
  if (prev != nullptr) prev->fields.next = next;
  if (header == EngineState.AllocListHead) EngineState.AllocListHead = next;
  RewriteCopy(prev);
  RewriteCopy(next);

  TraceOperation("mem free  ", header);
  HeapFree(GetProcessHeap(), 0, header);
}

void* TrackedRealloc(void* pointer, std::size_t newSize, const char* file, int line) {
  if (pointer == nullptr) return TrackedAlloc(newSize, file, line);
  if (!SizeFits(newSize)) return nullptr;
  BlockHeader* old = HeaderOf(pointer);
  const bool wasHead = old == EngineState.AllocListHead;
  const std::uint32_t oldSize = old->fields.size;

  // The heap clears the bytes past the old size, header included in both sizes.
  auto* header =
      static_cast<BlockHeader*>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, old, newSize + BlockHeaderSize));
  if (header == nullptr) {
    DumpAllocations();
    return nullptr;
  }
  SetOrigin(header, file, line);
  BlockHeader* next = header->fields.next;
  BlockHeader* prev = header->fields.prev;
  if (next != nullptr) next->fields.prev = header;
  if (prev != nullptr) prev->fields.next = header;
  if (wasHead) EngineState.AllocListHead = header;
  EngineState.AllocTotalSize -= oldSize;
  header->fields.size = static_cast<std::uint32_t>(newSize);
  EngineState.AllocTotalSize += header->fields.size;
  RewriteCopy(header);
  RewriteCopy(next);
  RewriteCopy(prev);

  TraceOperation("mem realloc  ", header);
  if (EngineState.CheckEachOperation) CheckAllocations();
  return DataOf(header);
}

void LogBlock(const BlockHeader* header) {
  const BlockHeaderFields& fields = header->fields;
  const auto* data = reinterpret_cast<const unsigned char*>(header) + BlockHeaderSize;
  // A damaged size must not make the line read past the block: of the size and its copy, the
  // smaller one is believed (they are equal in an intact header).
  std::uint32_t shown = fields.size < header->copy.size ? fields.size : header->copy.size;
  if (shown > 16) shown = 16;
  char file[sizeof fields.file];
  std::memcpy(file, fields.file, sizeof file);
  file[sizeof file - 1] = '\0';  // a damaged name still ends

  char line[256];
  int length = std::snprintf(line, sizeof line, "\tsize:%d(%.3fkb)  file:%s  line:%d  ID:%d  addr:%016llx  data:<",
                             static_cast<int>(fields.size),
                             static_cast<double>(static_cast<float>(fields.size) * (1.0f / 1024.0f)), file, fields.line,
                             fields.id, static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(data)));
  for (std::uint32_t i = 0; i < shown; ++i)
    line[length++] = data[i] >= 0x20 && data[i] <= 0x7F ? static_cast<char>(data[i]) : '.';
  line[length++] = '>';
  line[length++] = ' ';
  line[length++] = '[';
  for (std::uint32_t i = 0; i < shown; ++i)
    length += std::snprintf(line + length, sizeof line - length, "%02x ", data[i]);
  line[length - 1] = ']';
  line[length++] = '\n';
  line[length] = '\0';
  LogText(line);
}

void DumpAllocations() {
  if (CalledOffEngineThread(__func__)) return;
  LogText("\n");
  LogText("Alloc memory dump\n");
  for (BlockHeader* block = EngineState.AllocListHead; block != nullptr && block != &AllocSentinel;
       block = block->fields.next) {
    LogBlock(block);
  }
  LogTotals();
  LogText("\n");
}

int CheckAllocations() {
  if (CalledOffEngineThread(__func__)) return -1;
  for (BlockHeader* block = EngineState.AllocListHead; block != nullptr && block != &AllocSentinel;
       block = block->fields.next) {
    if (std::memcmp(&block->fields, &block->copy, sizeof block->fields) != 0) {
      LogText("以下のメモリ確保情報が破損しました");
      LogBlock(block);
      return FailWithText("CheckAllocations: the header of an engine memory block is damaged (a write out of bounds)");
    }
  }
  return 0;
}

void WriteMemoryReport() { DumpAllocations(); }

int LiveBlockCount() { return EngineState.AllocCount; }
