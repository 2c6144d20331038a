// Pixels out of the screen and out of graphics: one pixel's channels, and whole pictures saved
// as PNG files. The hardware back-end reads its surfaces and textures back through their locks.
#include <algorithm>
#include <cstring>

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../image/image_file.h"
#include "../image/png_encode.h"
#include "../color/color_data.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "../core/engine_thread.h"

namespace {

std::uint32_t Channels(const ColorData* format, std::uint32_t pixel) {
  int r = 0, g = 0, b = 0, a = 0;
  UnpackColor(format, pixel, &r, &g, &b, &a);
  if (format->alphaBits == 0) a = 255;
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
         static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

std::uint32_t LoadPixel(const std::uint8_t* at, int bytes) {
  std::uint32_t v = 0;
  std::memcpy(&v, at, static_cast<std::size_t>(bytes));
  return v;
}

// Reads (x, y, width, height) of a locked surface into 0xAARRGGBB rows of `pitch` pixels.
int ReadSurface(IDirect3DSurface9* surface, D3DFORMAT format, int x, int y, int width, int height, std::uint32_t* out,
                int pitch) {
  const ColorData* data = ColorDataForSurfaceFormat(static_cast<std::uint32_t>(format));
  if (surface == nullptr || data == nullptr) return -1;
  RECT area = {x, y, x + width, y + height};
  D3DLOCKED_RECT locked{};
  if (FAILED(surface->LockRect(&locked, &area, D3DLOCK_READONLY))) return -1;
  const int bytes = data->bitsPerPixel / 8;
  for (int row = 0; row < height; ++row) {
    const auto* line = static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(row) * locked.Pitch;
    for (int column = 0; column < width; ++column) {
      out[static_cast<std::size_t>(row) * pitch + column] = Channels(data, LoadPixel(line + column * bytes, bytes));
    }
  }
  surface->UnlockRect();
  return 0;
}

int ReadMemImg(const MEMIMG& image, int x, int y, int width, int height, std::uint32_t* out, int pitch) {
  if (!IsMemImgValid(&image)) return -1;
  const MemImgShared* shared = image.shared;
  const int bytes = BytesPerPixel(shared);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* line = image.pixels + static_cast<std::ptrdiff_t>(y + row) * shared->pitch;
    for (int column = 0; column < width; ++column) {
      out[static_cast<std::size_t>(row) * pitch + column] =
          Channels(shared->colorData, LoadPixel(line + (x + column) * bytes, bytes));
    }
  }
  return 0;
}

// The size of a draw target; false for anything else, with the last error naming the call.
bool TargetSize(int target, int* width, int* height, const char* call) {
  if (target == ScreenFront || target == ScreenBack) {
    *width = GraphicsState.screenWidth;
    *height = GraphicsState.screenHeight;
    if (GraphicsState.graphicsStarted != 0) return true;
    SetLastErrorText("%s: there is no screen before InitEngine", call);
    return false;
  }
  const GraphicRecord* record = GraphicFromHandle(target);
  if (record == nullptr) {
    SetLastErrorText("%s: %d is neither a screen nor a live graphic's handle", call, target);
    return false;
  }
  *width = record->width;
  *height = record->height;
  return true;
}

// Reads a rectangle (inside the target) of the screen or a graphic.
int ReadTarget(int target, int x, int y, int width, int height, std::uint32_t* out, int pitch) {
  if (!GraphicsState.useHardware) {
    if (target == ScreenFront || target == ScreenBack)
      return ReadMemImg(GraphicsState.screenImage, x, y, width, height, out, pitch);
    const GraphicRecord* record = GraphicFromHandle(target);
    return record != nullptr ? ReadMemImg(record->softView, x, y, width, height, out, pitch) : -1;
  }
  if (GraphicsState.device == nullptr) return -1;
  // What is still queued belongs in the picture.
  FlushVertexBatch();
  CloseScene();
  if (target == ScreenFront || target == ScreenBack) {
    IDirect3DSurface9* surface =
        GraphicsState.subBackBuffer != nullptr ? GraphicsState.subBackBuffer : GraphicsState.backBuffer;
    return ReadSurface(surface, GraphicsState.backBufferFormat, x, y, width, height, out, pitch);
  }
  const GraphicRecord* record = GraphicFromHandle(target);
  if (record == nullptr || record->image == nullptr) return -1;
  const SharedImage* image = record->image;
  const D3DFORMAT format = TextureFormatTable[image->formatKind];
  // In image coordinates; each tile gives its share.
  const int left = record->x + x, top = record->y + y, right = left + width, bottom = top + height;
  for (int i = 0; i < image->columns * image->rows; ++i) {
    const TextureTile& tile = image->tiles[i];
    const int l = std::max(left, tile.x), r = std::min(right, tile.x + tile.width);
    const int t = std::max(top, tile.y), b = std::min(bottom, tile.y + tile.height);
    if (l >= r || t >= b) continue;
    if (ReadSurface(tile.surface, format, l - tile.x, t - tile.y, r - l, b - t,
                    out + static_cast<std::size_t>(t - top) * pitch + (l - left), pitch) != 0) {
      return -1;
    }
  }
  // A texture without an alpha channel keeps its transparent colour as alpha 0 for the alpha
  // test; read back, the image has no alpha, as in software.
  if (!image->flags.hasAlpha) {
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) out[static_cast<std::size_t>(row) * pitch + column] |= 0xFF000000u;
    }
  }
  return 0;
}

int SaveTargetPng(int target, const char* fileName, int alpha, const char* call) {
  int width = 0, height = 0;
  if (fileName == nullptr) return FailWithText("%s: the file name is null", call);
  if (!TargetSize(target, &width, &height, call)) return -1;
  if (width <= 0 || height <= 0) return FailWithText("%s: the picture has no pixels", call);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* pixels = static_cast<std::uint32_t*>(TrackedAlloc(count * 4, __FILE__, __LINE__));
  if (pixels == nullptr) {
    LogText("画像の保存に使うメモリを確保できませんでした\n");
    return FailWithText("%s: there is no memory for the %d x %d pixels to save", call, width, height);
  }
  std::uint8_t* png = nullptr;
  std::size_t size = 0;
  int result = ReadTarget(target, 0, 0, width, height, pixels, width);
  if (result != 0) SetLastErrorText("the picture could not be read back (the display device is lost)");
  if (result == 0) {
    result = EncodePng(pixels, width, height, width, alpha, &png, &size);
    if (result != 0) SetLastErrorText("the picture could not be encoded as PNG");
  }
  TrackedFree(pixels);
  if (result == 0) result = WriteWholeFile(fileName, png, size);
  TrackedFree(png);
  if (result != 0) {
    LogFormat("画像を保存できませんでした: %s", fileName);
    return FailNamingCall(call);
  }
  return 0;
}

}  // namespace

int ReadPixel(int target, int x, int y, int* red, int* green, int* blue, int* alpha) {
  if (CalledOffEngineThread(__func__)) return -1;
  int width = 0, height = 0;
  if (!TargetSize(target, &width, &height, "ReadPixel")) return -1;
  if (x < 0 || y < 0 || x >= width || y >= height) {
    return FailWithText("ReadPixel: (%d, %d) lies outside the %d x %d target", x, y, width, height);
  }
  std::uint32_t argb = 0;
  if (ReadTarget(target, x, y, 1, 1, &argb, 1) != 0) {
    return FailWithText("ReadPixel: the pixel could not be read back (the display device is lost)");
  }
  if (red != nullptr) *red = static_cast<int>(argb >> 16 & 0xFF);
  if (green != nullptr) *green = static_cast<int>(argb >> 8 & 0xFF);
  if (blue != nullptr) *blue = static_cast<int>(argb & 0xFF);
  if (alpha != nullptr) *alpha = static_cast<int>(argb >> 24);
  return 0;
}

int SaveScreenPng(const char* fileName) {
  if (CalledOffEngineThread(__func__)) return -1;
  return SaveTargetPng(ScreenBack, fileName, 0, "SaveScreenPng");
}

int SaveGraphicPng(int handle, const char* fileName) {
  if (CalledOffEngineThread(__func__)) return -1;
  const GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || record->image == nullptr) {
    return FailWithText("SaveGraphicPng: %d is not a live graphic's handle", handle);
  }
  return SaveTargetPng(handle, fileName, record->image->flags.hasAlpha, "SaveGraphicPng");
}
