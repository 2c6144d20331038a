#include "graphic_source.h"

#include <algorithm>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../image/image_decode.h"
#include "../image/image_file.h"
#include "../window/window.h"
#include "../color/color_data.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "soft/mem_img_transfer.h"
#include "../core/engine_thread.h"
#include "../core/last_error.h"

namespace {

unsigned refillPass = 0;

// The hardware half of WriteSharedImagePixels: each texture tile the rectangle touches is
// locked and written in its own format. A tile narrower than its texture gets its last column
// (and row) repeated once into the padding, so that bilinear sampling at the image's edge reads
// the edge and not the empty padding.
int WriteTextures(SharedImage* image, const std::uint32_t* argb, int pitch, int x, int y, int width, int height,
                  std::uint32_t key) {
  if (GraphicsState.device == nullptr) return -1;
  FlushVertexBatch();
  CloseScene();
  const ColorData* format =
      ColorDataForSurfaceFormat(static_cast<std::uint32_t>(TextureFormatTable[image->formatKind]));
  if (format == nullptr) return -1;
  const int bytes = format->bitsPerPixel / 8;
  const bool keyed = !image->flags.hasAlpha;
  auto pack = [&](int ix, int iy) {
    std::uint32_t p = argb[static_cast<std::size_t>(iy - y) * pitch + (ix - x)];
    if (keyed) p = (p & 0xFFFFFFu) == key ? p & 0xFFFFFFu : p | 0xFF000000u;
    return PackColor(format, static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                     static_cast<int>(p & 0xFF), static_cast<int>(p >> 24));
  };
  int result = 0;
  for (int i = 0; i < image->columns * image->rows; ++i) {
    TextureTile& tile = image->tiles[i];
    if (tile.texture == nullptr) continue;
    const int left = std::max(x, tile.x), right = std::min(x + width, tile.x + tile.width);
    const int top = std::max(y, tile.y), bottom = std::min(y + height, tile.y + tile.height);
    if (left >= right || top >= bottom) continue;
    const bool padRight = right == tile.x + tile.width && tile.width < tile.textureWidth;
    const bool padBottom = bottom == tile.y + tile.height && tile.height < tile.textureHeight;
    RECT area = {left - tile.x, top - tile.y, right - tile.x + (padRight ? 1 : 0),
                 bottom - tile.y + (padBottom ? 1 : 0)};
    D3DLOCKED_RECT locked{};
    if (FAILED(tile.texture->LockRect(0, &locked, &area, 0))) {
      result = -1;
      continue;
    }
    for (int py = top; py < bottom + (padBottom ? 1 : 0); ++py) {
      auto* row = static_cast<std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(py - top) * locked.Pitch;
      const int sy = std::min(py, bottom - 1);
      for (int px = left; px < right + (padRight ? 1 : 0); ++px) {
        const std::uint32_t v = pack(std::min(px, right - 1), sy);
        std::memcpy(row + static_cast<std::ptrdiff_t>(px - left) * bytes, &v, static_cast<std::size_t>(bytes));
      }
    }
    tile.texture->UnlockRect(0);
  }
  return result;
}

int WriteSoftware(SharedImage* image, const std::uint32_t* argb, int pitch, int x, int y, int width, int height) {
  if (!IsMemImgValid(&image->softImage)) return -1;
  DecodedImage view{};
  view.width = width;
  view.height = height;
  view.pitch = pitch * 4;
  view.pixels = reinterpret_cast<const std::uint8_t*>(argb);
  if (image->softImage.shared->hasAlpha) {
    FillArgb32ColorData(&view.format);
  } else {
    FillXrgb32ColorData(&view.format);
  }
  return LoadMemImgPixels(&view, nullptr, &image->softImage, 0, 0, width, height, x, y, 0) < 0 ? -1 : 0;
}

std::uint32_t transparentColor = 0;  // black

}  // namespace

std::uint32_t TransparentColorSetting() { return transparentColor; }

int SetTransparentColor(int red, int green, int blue) {
  if (CalledOffEngineThread(__func__)) return -1;
  transparentColor = static_cast<std::uint32_t>(std::clamp(red, 0, 255) << 16 | std::clamp(green, 0, 255) << 8 |
                                                std::clamp(blue, 0, 255));
  return 0;
}

int GetTransparentColor(int* red, int* green, int* blue) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (red != nullptr) *red = static_cast<int>(transparentColor >> 16 & 0xFF);
  if (green != nullptr) *green = static_cast<int>(transparentColor >> 8 & 0xFF);
  if (blue != nullptr) *blue = static_cast<int>(transparentColor & 0xFF);
  return 0;
}

void ReleaseGraphicSource(GraphicSource* source) {
  if (source == nullptr) return;
  TrackedFree(source->fileName);
  ReleaseImageRecord(&source->pixels);
  TrackedFree(source);
}

int WriteSharedImagePixels(SharedImage* image, const std::uint32_t* argb, int pitch, int x, int y, int width,
                           int height) {
  if (image == nullptr || argb == nullptr || width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > image->width ||
      y + height > image->height) {
    return -1;
  }
  if (!image->flags.inTexture) return WriteSoftware(image, argb, pitch, x, y, width, height);
  return WriteTextures(image, argb, pitch, x, y, width, height,
                       image->source != nullptr ? image->source->transparent : TransparentColorSetting());
}

GraphicSource* NewGraphicSource() {
  auto* source = static_cast<GraphicSource*>(TrackedCalloc(sizeof(GraphicSource), __FILE__, __LINE__));
  if (source != nullptr) source->transparent = TransparentColorSetting();
  return source;
}

namespace {

// Builds the creation settings a loaded image needs for the span of one graphic creation.
class LoadedImageSettings {
 public:
  explicit LoadedImageSettings(int alpha) : saved_(GraphicCreate) {
    // Without alpha, the transparent colour becomes the alpha test's transparent pixels.
    GraphicCreate = {0, alpha, alpha ? 0 : 1, 0};
  }
  ~LoadedImageSettings() { GraphicCreate = saved_; }
  LoadedImageSettings(const LoadedImageSettings&) = delete;
  LoadedImageSettings& operator=(const LoadedImageSettings&) = delete;

 private:
  GraphicCreateSettings saved_;
};

int BuildSoftwareLoaded(GraphicRecord* record, const ImageRecord& decoded, const GraphicSource* source) {
  auto* image = static_cast<SharedImage*>(TrackedCalloc(sizeof(SharedImage), __FILE__, __LINE__));
  if (image == nullptr) return -1;
  record->image = image;
  image->references = 1;
  image->width = record->width;
  image->height = record->height;
  const int type = GraphicsState.screenBitDepth == 16 ? Color16 : Color32;
  const int alpha = decoded.hasAlpha ? 1 : 0;
  image->flags = {0, alpha, 0, 1, 0, 0, type == Color16 ? 16 : 32};
  const std::uint32_t key = source->transparent;
  const std::uint32_t transColor = PackColor(ColorDataForMemImg(type, alpha, 0), static_cast<int>(key >> 16 & 0xFF),
                                             static_cast<int>(key >> 8 & 0xFF), static_cast<int>(key & 0xFF), 0);
  // Extras: the run codes and premultiplied copy the blits use for loaded images.
  if (CreateMemImg(&image->softImage, record->width, record->height, -1, transColor, type, 0, alpha, 1, nullptr) != 0) {
    return -1;
  }
  return WriteSoftware(image, decoded.pixels, decoded.width, 0, 0, decoded.width, decoded.height);
}

}  // namespace

int GraphicFromImage(const ImageRecord& decoded, GraphicSource* source) {
  if (!GraphicsState.graphicsStarted || decoded.pixels == nullptr || source == nullptr) {
    ReleaseGraphicSource(source);
    SetLastErrorText(source == nullptr ? "there is no memory for the graphic" : "the engine is not running");
    return -1;
  }
  CloseScene();
  WaitWhileInactive();
  const int handle = AllocGraphicHandle();
  GraphicRecord* record = GraphicFromHandle(handle);
  record->width = decoded.width;
  record->height = decoded.height;
  int built;
  if (GraphicsState.useHardware) {
    {
      LoadedImageSettings settings(decoded.hasAlpha);
      built = BuildHardwareImage(record);
    }
    if (built == 0) built = BuildHardwareQuads(record);
    if (built == 0)
      built = WriteTextures(record->image, decoded.pixels, decoded.width, 0, 0, decoded.width, decoded.height,
                            source->transparent);
  } else {
    built = BuildSoftwareLoaded(record, decoded, source);
    if (built == 0) {
      MakeMemImgView(&record->softView, &record->image->softImage, 0, 0, record->width, record->height);
      built = IsMemImgValid(&record->softView) ? 0 : -1;
    }
  }
  if (record->image != nullptr) {
    record->image->source = source;
    source = nullptr;
  }
  ReleaseGraphicSource(source);
  if (built != 0) {
    ReleaseGraphic(handle);
    LogText("画像からグラフィックを作成できませんでした\n");
    SetLastErrorText("no memory or texture could be had for a %d x %d graphic", decoded.width, decoded.height);
    return -1;
  }
  return handle;
}

void RefillLoadedGraphics() {
  const KeepLastErrorText kept;  // runs inside the call that found the display back
  ++refillPass;
  bool logged = false;
  for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
    GraphicRecord* record = GraphicTable.slots[slot];
    if (record == nullptr || record->image == nullptr || record->image->source == nullptr) continue;
    SharedImage* image = record->image;
    GraphicSource* source = image->source;
    if (source->refilledAt == refillPass) continue;
    source->refilledAt = refillPass;
    if (!logged) {
      LogText("グラフィックを復帰します\n");
      logged = true;
    }
    if (source->fileName == nullptr) {
      if (source->pixels.pixels != nullptr && source->pixels.width == image->width &&
          source->pixels.height == image->height) {
        WriteTextures(image, source->pixels.pixels, source->pixels.width, 0, 0, image->width, image->height,
                      source->transparent);
      }
      continue;
    }
    // The file is read again; one that changed its size or cannot be read leaves the graphic empty.
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    ImageRecord decoded{};
    if (ReadWholeFile(source->fileName, &data, &size) == 0 && DecodeImage(data, size, &decoded) == 0 &&
        decoded.width == image->width && decoded.height == image->height) {
      WriteTextures(image, decoded.pixels, decoded.width, 0, 0, decoded.width, decoded.height, source->transparent);
    } else {
      LogFormat("グラフィックを復帰できませんでした: %s", source->fileName);
    }
    ReleaseImageRecord(&decoded);
    TrackedFree(data);
  }
}
