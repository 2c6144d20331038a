// Making graphics on either back-end: empty ones with the creation settings, derived ones that
// show a rectangle of another's image, and the software back-end's image and views.
#include <algorithm>
#include <cstdint>

#include "../core/log.h"
#include "../core/last_error.h"
#include "../core/tracked_memory.h"
#include "../window/window.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "../core/engine_thread.h"
#include "platform/kernel32.h"

int BuildSoftwareImage(GraphicRecord* record) {
  auto* image = static_cast<SharedImage*>(TrackedCalloc(sizeof(SharedImage), "", 0));
  if (image == nullptr) return -1;
  record->image = image;
  image->references = 1;
  image->width = record->width;
  image->height = record->height;
  image->flags = {
      0, GraphicCreate.alphaChannel, GraphicCreate.drawTarget, 1, 0, 0, GraphicsState.screenBitDepth == 16 ? 16 : 32};
  // Software images take the screen's format, so that the blits never convert.
  const int type = GraphicsState.screenBitDepth == 16 ? Color16 : Color32;
  // The image is refused before it is allocated when the machine could not hold it.
  const std::uint64_t bytes = static_cast<std::uint64_t>(record->width) * static_cast<std::uint64_t>(record->height) *
                              (type == Color16 ? 2u : 4u);
  MEMORYSTATUS memory{};
  GlobalMemoryStatus(&memory);
  if ((memory.dwTotalPhys != 0 && bytes > memory.dwTotalPhys) ||
      CreateMemImg(&image->softImage, record->width, record->height, -1, 0, type, 0, GraphicCreate.alphaChannel, 0,
                   nullptr) != 0) {
    LogFormat("グラフィックのサイズ %d x %d のイメージを作成できません", record->width, record->height);
    return -1;
  }
  FillMemImg(&image->softImage, nullptr, 0);
  return 0;
}

namespace {

int BuildView(GraphicRecord* record) {
  if (GraphicsState.useHardware) return BuildHardwareQuads(record);
  MakeMemImgView(&record->softView, &record->image->softImage, record->x, record->y, record->width, record->height);
  return IsMemImgValid(&record->softView) ? 0 : -1;
}

}  // namespace

int CreateEmptyGraphic(int width, int height) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!GraphicsState.graphicsStarted)
    return FailWithText("CreateEmptyGraphic: the screen is not set up (call InitEngine first)");
  if (width <= 0 || height <= 0) return FailWithText("CreateEmptyGraphic: the size %d x %d is empty", width, height);
  CloseScene();
  WaitWhileInactive();
  const int handle = AllocGraphicHandle();
  GraphicRecord* record = GraphicFromHandle(handle);
  record->width = width;
  record->height = height;
  const int built = GraphicsState.useHardware ? BuildHardwareImage(record) : BuildSoftwareImage(record);
  if (built != 0 || BuildView(record) != 0) {
    ReleaseGraphic(handle);
    return FailWithText("CreateEmptyGraphic: no memory or texture for %d x %d pixels", width, height);
  }
  return handle;
}

int CreateDerivedGraphic(int x, int y, int width, int height, int source) {
  if (CalledOffEngineThread(__func__)) return -1;
  const GraphicRecord* from = GraphicFromHandle(source);
  if (from == nullptr) return FailWithText("CreateDerivedGraphic: %d is not a live graphic's handle", source);
  if (x < 0 || y < 0 || x >= from->width || y >= from->height || width <= 0 || height <= 0) {
    return FailWithText("CreateDerivedGraphic: (%d, %d) %d x %d is empty or starts outside the graphic", x, y, width,
                        height);
  }
  const int handle = AllocGraphicHandle();
  from = GraphicFromHandle(source);
  GraphicRecord* record = GraphicFromHandle(handle);
  record->image = from->image;
  ++record->image->references;
  record->x = from->x + x;
  record->y = from->y + y;
  record->width = std::min(width, from->width - x);
  record->height = std::min(height, from->height - y);
  if (BuildView(record) != 0) {
    ReleaseGraphic(handle);
    return FailWithText("CreateDerivedGraphic: no memory for the graphic's view");
  }
  return handle;
}

int SetCreateBitDepth(int bitDepth) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicCreate.bitDepth = bitDepth;
  return 0;
}
int GetCreateBitDepth() {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicCreate.bitDepth;
}
int SetCreateAlphaChannel(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicCreate.alphaChannel = flag;
  return 0;
}
int GetCreateAlphaChannel() {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicCreate.alphaChannel;
}
int SetCreateAlphaTest(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicCreate.alphaTest = flag;
  return 0;
}
int GetCreateAlphaTest() {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicCreate.alphaTest;
}
int SetCreateDrawTarget(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicCreate.drawTarget = flag;
  return 0;
}
int GetCreateDrawTarget() {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicCreate.drawTarget;
}

int GetGraphicSize(int handle, int* width, int* height) {
  if (CalledOffEngineThread(__func__)) return -1;
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return FailWithText("GetGraphicSize: %d is not a live graphic's handle", handle);
  if (width != nullptr) *width = record->width;
  if (height != nullptr) *height = record->height;
  return 0;
}
