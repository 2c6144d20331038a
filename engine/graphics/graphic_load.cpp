// Graphics from image files, memory and pixel arrays; sheets split into cells; pixels replaced.
#include <algorithm>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../image/image_decode.h"
#include "../image/image_file.h"
#include "graphic_source.h"
#include "graphics_state.h"

namespace {

char* CopyText(const char* text) {
  const std::size_t length = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(TrackedAlloc(length, __FILE__, __LINE__));
  if (copy != nullptr) std::memcpy(copy, text, length);
  return copy;
}

// The decoded image of a file; 0 / -1 (logged).
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

// A graphic of the file's image. The hardware back-end keeps the file's name to read it again
// after a display loss.
int GraphicFromFile(const char* fileName) {
  if (!GraphicsState.graphicsStarted || fileName == nullptr) return -1;
  ImageRecord image;
  if (DecodeFile(fileName, &image) != 0) return -1;
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
  return handle;
}

// A graphic of decoded pixels; the hardware back-end keeps them for a display loss.
int GraphicFromPixels(ImageRecord* image) {
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
  return handle;
}

}  // namespace

int LoadGraphic(const char* fileName) { return GraphicFromFile(fileName); }

int LoadGraphicFromMemory(const void* data, int size) {
  if (!GraphicsState.graphicsStarted || data == nullptr || size <= 0) return -1;
  ImageRecord image;
  if (DecodeImage(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), &image) != 0) return -1;
  return GraphicFromPixels(&image);
}

int LoadSplitGraphic(const char* fileName, int count, int columns, int rows, int cellWidth, int cellHeight,
                     int* handles) {
  if (handles == nullptr || count <= 0) return -1;
  for (int i = 0; i < count; ++i) handles[i] = -1;
  if (columns <= 0 || rows <= 0 || cellWidth <= 0 || cellHeight <= 0 || std::int64_t{columns} * rows < count) {
    LogFormat("画像の分割の指定が正しくありません: %d 個、%d x %d 区画、%d x %d 画素", count, columns, rows, cellWidth,
              cellHeight);
    return -1;
  }
  const int sheet = GraphicFromFile(fileName);
  int width = 0, height = 0;
  if (GetGraphicSize(sheet, &width, &height) != 0) return -1;
  // Only the rows of cells that are used must fit.
  const int usedRows = (count + columns - 1) / columns, usedColumns = std::min(count, columns);
  if (std::int64_t{usedColumns} * cellWidth > width || std::int64_t{usedRows} * cellHeight > height) {
    LogFormat("画像 %s (%d x %d) に %d x %d の区画が %d 個入りません", fileName, width, height, cellWidth, cellHeight, count);
    ReleaseGraphic(sheet);
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    handles[i] = CreateDerivedGraphic(i % columns * cellWidth, i / columns * cellHeight, cellWidth, cellHeight, sheet);
    if (handles[i] == -1) {
      for (int k = 0; k < i; ++k) {
        ReleaseGraphic(handles[k]);
        handles[k] = -1;
      }
      ReleaseGraphic(sheet);
      return -1;
    }
  }
  // The cells hold the sheet's image; the sheet's own handle is not needed.
  ReleaseGraphic(sheet);
  return 0;
}

int CreateGraphicFromPixels(int width, int height, const std::uint32_t* pixels, int useAlpha) {
  if (!GraphicsState.graphicsStarted || pixels == nullptr) return -1;
  ImageRecord image;
  if (AllocImagePixels(&image, width, height, "pixels") != 0) return -1;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::memcpy(image.pixels, pixels, count * 4);
  image.hasAlpha = useAlpha ? 1 : 0;
  if (!useAlpha) {
    for (std::size_t i = 0; i < count; ++i) image.pixels[i] |= 0xFF000000u;
  }
  return GraphicFromPixels(&image);
}

int ReplaceGraphicPixels(int handle, const std::uint32_t* pixels) {
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || pixels == nullptr || record->image == nullptr) return -1;
  SharedImage* image = record->image;
  if (WriteSharedImagePixels(image, pixels, record->width, record->x, record->y, record->width, record->height) != 0) {
    return -1;
  }
  if (!GraphicsState.useHardware) return 0;
  // The image's pixels after a display loss are now these: kept here, with the rest of the image
  // as it came from its file or earlier pixels.
  if (image->source == nullptr) image->source = NewGraphicSource();
  GraphicSource* source = image->source;
  if (source == nullptr) return 0;
  if (source->pixels.pixels == nullptr) {
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
