// The graphic table: handles, records, shared images and their release.
#include <cstring>

#include "../core/last_error.h"
#include "../core/fatal_error.h"
#include "../core/handle.h"
#include "../core/tracked_memory.h"
#include "draw_state.h"
#include "graphic_handle.h"
#include "graphic_source.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "../core/engine_thread.h"

GraphicTableRecord GraphicTable;
GraphicCreateSettings GraphicCreate = {0, 0, 1, 0};

GraphicRecord* GraphicFromHandle(int handle) {
  const int index = ValidateHandle(handle, HandleTypeGraphic, MaxGraphics, [](int slot) {
    const GraphicRecord* record = GraphicTable.slots[slot];
    return record != nullptr ? record->checkNumber : -1;
  });
  // Bit 15 belongs to no graphic slot.
  if (index < 0 || (handle & 0x8000) != 0) return nullptr;
  return GraphicTable.slots[index];
}

int IsGraphicHandleValid(int handle) {
  if (CalledOffEngineThread(__func__)) return 0;
  return GraphicFromHandle(handle) != nullptr ? 1 : 0;
}

void ResetGraphicCreateSettings() { GraphicCreate = {0, 0, 1, 0}; }

void StartGraphicTable() {
  GraphicTable.liveCount = 0;
  GraphicTable.highWater = 0;
  // The creation settings are the program's: a restart of the graphics keeps them.
}

int AllocGraphicHandle() {
  CloseScene();
  GraphicTableRecord& t = GraphicTable;
  if (t.liveCount >= MaxGraphics) FatalError("グラフィックの数が許容量を越えました終了します");
  int slot = t.highWater;
  if (slot >= MaxGraphics) {
    for (slot = 0; slot < MaxGraphics && t.slots[slot] != nullptr; ++slot) {
    }
  }
  auto* record = static_cast<GraphicRecord*>(TrackedCalloc(sizeof(GraphicRecord), "", 0));
  if (record == nullptr) FatalError("メモリの確保に失敗しました");
  record->checkNumber = t.nextCheck;
  if (++t.nextCheck > HandleCheckNumberMask) t.nextCheck = 0;
  record->handle = slot | ((record->checkNumber | 0x800) << 16);
  record->movie = -1;
  t.slots[slot] = record;
  ++t.liveCount;
  if (slot == t.highWater) ++t.highWater;
  return record->handle;
}

namespace {

void ReleaseTileTextures(SharedImage* image) {
  const int count = image->columns * image->rows;
  for (int i = 0; i < count; ++i) {
    TextureTile& tile = image->tiles[i];
    if (tile.surface != nullptr) tile.surface->Release();
    if (tile.texture != nullptr) tile.texture->Release();
    tile.surface = nullptr;
    tile.texture = nullptr;
  }
}

}  // namespace

int ReleaseGraphic(int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return FailWithText("ReleaseGraphic: %d is not a live graphic's handle", handle);
  // The device must not draw a batch that still names a texture about to go.
  if (GraphicsState.device != nullptr) {
    FlushVertexBatch();
    if (HardwareState.texture != nullptr) {
      HardwareState.texture = nullptr;
      HardwareState.blendDirty = 1;
      SetDeviceTexture(0, nullptr);
    }
  }
  // A graphic being drawn into gives the target back to the screen first.
  if (DrawState.drawScreen == handle) SelectDrawTarget(ScreenBack);
  ReleaseMemImg(&record->softView);
  SharedImage* image = record->image;
  if (image != nullptr && --image->references == 0) {
    ReleaseTileTextures(image);
    TrackedFree(image->tiles);
    ReleaseMemImg(&image->softImage);
    ReleaseGraphicSource(image->source);
    TrackedFree(image);
  }
  TrackedFree(record->quads);
  const int slot = HandleIndex(handle);
  --GraphicTable.liveCount;
  GraphicTable.slots[slot] = nullptr;
  if (slot == GraphicTable.highWater - 1) {
    int mark = slot;
    while (mark > 0 && GraphicTable.slots[mark - 1] == nullptr) --mark;
    GraphicTable.highWater = mark;
  }
  if (record->lostFlag != nullptr) *record->lostFlag = 1;
  TrackedFree(record);
  return 0;
}

void ReleaseAllGraphics() {
  for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
    GraphicRecord* record = GraphicTable.slots[slot];
    if (record != nullptr) ReleaseGraphic(record->handle);
  }
}

int ReleaseAllTextures() {
  for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
    GraphicRecord* record = GraphicTable.slots[slot];
    if (record != nullptr && record->image != nullptr) ReleaseTileTextures(record->image);
  }
  return 0;
}
