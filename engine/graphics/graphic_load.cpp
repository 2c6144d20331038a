// Graphics from image files, memory and pixel arrays; sheets split into cells; pixels replaced.
#include <algorithm>
#include <cstring>

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../image/image_decode.h"
#include "../image/image_file.h"
#include "graphic_source.h"
#include "graphics_state.h"
#include "../core/engine_thread.h"

namespace {

char* CopyText(const char* text) {
  const std::size_t length = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(TrackedAlloc(length, __FILE__, __LINE__));
  if (copy != nullptr) std::memcpy(copy, text, length);
  return copy;
}

// The decoded image of a file; 0 / -1 (logged, the reason left as the last error).
int DecodeFile(const char* fileName, ImageRecord* image) {
  *image = ImageRecord{};
  std::uint8_t* data = nullptr;
  std::size_t size = 0;
  if (ReadWholeFile(fileName, &data, &size) != 0) return -1;
  const int result = DecodeImage(data, size, image);
  TrackedFree(data);
  if (result != 0) LogFormat("画像ファイルを読み込めませんでした: %s", fileName);
  return result;
}

// A graphic of the file's image, or -1 with the last error naming the call. The hardware
// back-end keeps the file's name to read it again after a display loss.
int GraphicFromFile(const char* fileName, const char* call) {
  if (!GraphicsState.graphicsStarted) return FailWithText("%s: the engine is not running", call);
  if (fileName == nullptr) return FailWithText("%s: the file name is null", call);
  ImageRecord image;
  if (DecodeFile(fileName, &image) != 0) return FailNamingCall(call);
  GraphicSource* source = NewGraphicSource();
  if (source != nullptr && GraphicsState.useHardware) {
    source->fileName = CopyText(fileName);
    if (source->fileName == nullptr) {
      ReleaseGraphicSource(source);
      source = nullptr;
    }
  }
  const int handle = GraphicFromImage(image, source);
  ReleaseImageRecord(&image);
  return handle == -1 ? FailNamingCall(call) : handle;
}

// A graphic of decoded pixels; the hardware back-end keeps them for a display loss.
int GraphicFromPixels(ImageRecord* image, const char* call) {
  GraphicSource* source = NewGraphicSource();
  int handle;
  if (source != nullptr && GraphicsState.useHardware) {
    source->pixels = *image;
    *image = ImageRecord{};
    handle = GraphicFromImage(source->pixels, source);
  } else {
    handle = GraphicFromImage(*image, source);
  }
  ReleaseImageRecord(image);
  return handle == -1 ? FailNamingCall(call) : handle;
}

}  // namespace

int LoadGraphic(const char* fileName) {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicFromFile(fileName, "LoadGraphic");
}

int LoadGraphicFromMemory(const void* data, int size) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!GraphicsState.graphicsStarted) return FailWithText("LoadGraphicFromMemory: the engine is not running");
  if (data == nullptr || size <= 0)
    return FailWithText("LoadGraphicFromMemory: no data (%d bytes)", data == nullptr ? 0 : size);
  ImageRecord image;
  if (DecodeImage(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), &image) != 0) {
    return FailNamingCall("LoadGraphicFromMemory");
  }
  return GraphicFromPixels(&image, "LoadGraphicFromMemory");
}

int LoadSplitGraphic(const char* fileName, int count, int columns, int rows, int cellWidth, int cellHeight,
                     int* handles) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (handles == nullptr) return FailWithText("LoadSplitGraphic: the handle array is null");
  if (count <= 0) return FailWithText("LoadSplitGraphic: the count %d is not above 0", count);
  for (int i = 0; i < count; ++i) handles[i] = -1;
  if (columns <= 0 || rows <= 0 || cellWidth <= 0 || cellHeight <= 0 || std::int64_t{columns} * rows < count) {
    LogFormat("画像の分割の指定が正しくありません: %d 個、%d x %d 区画、%d x %d 画素", count, columns, rows, cellWidth,
              cellHeight);
    return FailWithText(
        "LoadSplitGraphic: %d cells in %d columns and %d rows of %d x %d pixels cannot be: each value must "
        "be above 0 and the grid must hold the cells",
        count, columns, rows, cellWidth, cellHeight);
  }
  const int sheet = GraphicFromFile(fileName, "LoadSplitGraphic");
  if (sheet == -1) return -1;
  int width = 0, height = 0;
  GetGraphicSize(sheet, &width, &height);
  // Only the rows of cells that are used must fit.
  const int usedRows = (count + columns - 1) / columns, usedColumns = std::min(count, columns);
  if (std::int64_t{usedColumns} * cellWidth > width || std::int64_t{usedRows} * cellHeight > height) {
    LogFormat("画像 %s (%d x %d) に %d x %d の区画が %d 個入りません", fileName, width, height, cellWidth, cellHeight,
              count);
    ReleaseGraphic(sheet);
    return FailWithText("LoadSplitGraphic: %d cells of %d x %d pixels, %d to a row, do not fit the %d x %d image %s",
                        count, cellWidth, cellHeight, columns, width, height, fileName);
  }
  for (int i = 0; i < count; ++i) {
    handles[i] = CreateDerivedGraphic(i % columns * cellWidth, i / columns * cellHeight, cellWidth, cellHeight, sheet);
    if (handles[i] == -1) {
      for (int k = 0; k < i; ++k) {
        ReleaseGraphic(handles[k]);
        handles[k] = -1;
      }
      ReleaseGraphic(sheet);
      return FailNamingCall("LoadSplitGraphic");
    }
  }
  // The cells hold the sheet's image; the sheet's own handle is not needed.
  ReleaseGraphic(sheet);
  return 0;
}

int CreateGraphicFromPixels(int width, int height, const std::uint32_t* pixels, int useAlpha) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!GraphicsState.graphicsStarted) return FailWithText("CreateGraphicFromPixels: the engine is not running");
  if (pixels == nullptr) return FailWithText("CreateGraphicFromPixels: the pixels are null");
  ImageRecord image;
  if (AllocImagePixels(&image, width, height, "pixels") != 0) return FailNamingCall("CreateGraphicFromPixels");
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::memcpy(image.pixels, pixels, count * 4);
  image.hasAlpha = useAlpha ? 1 : 0;
  if (!useAlpha) {
    for (std::size_t i = 0; i < count; ++i) image.pixels[i] |= 0xFF000000u;
  }
  return GraphicFromPixels(&image, "CreateGraphicFromPixels");
}

int ReplaceGraphicPixels(int handle, const std::uint32_t* pixels) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || record->image == nullptr) {
    return FailWithText("ReplaceGraphicPixels: %d is not a live graphic's handle", handle);
  }
  if (pixels == nullptr) return FailWithText("ReplaceGraphicPixels: the pixels are null");
  SharedImage* image = record->image;
  if (WriteSharedImagePixels(image, pixels, record->width, record->x, record->y, record->width, record->height) != 0) {
    return FailWithText(
        "ReplaceGraphicPixels: the pixels of graphic %d could not be written (the display device is lost)", handle);
  }
  if (!GraphicsState.useHardware) return 0;
  // The image's pixels after a display loss are now these: kept here, with the rest of the image
  // as it came from its file or earlier pixels.
  if (image->source == nullptr) image->source = NewGraphicSource();
  GraphicSource* source = image->source;
  if (source == nullptr) return 0;
  if (source->pixels.pixels == nullptr) {
    const KeepLastErrorText kept;  // the pixels are written; only what a display loss restores is missing
    ImageRecord whole{};
    if (source->fileName == nullptr || DecodeFile(source->fileName, &whole) != 0 || whole.width != image->width ||
        whole.height != image->height) {
      ReleaseImageRecord(&whole);
      if (AllocImagePixels(&whole, image->width, image->height, "pixels") != 0) return 0;
      std::memset(whole.pixels, 0, static_cast<std::size_t>(whole.width) * whole.height * 4);
    }
    whole.hasAlpha = image->flags.hasAlpha;
    source->pixels = whole;
    TrackedFree(source->fileName);
    source->fileName = nullptr;
  }
  for (int row = 0; row < record->height; ++row) {
    std::memcpy(source->pixels.pixels + static_cast<std::size_t>(record->y + row) * image->width + record->x,
                pixels + static_cast<std::size_t>(row) * record->width, static_cast<std::size_t>(record->width) * 4);
  }
  return 0;
}
