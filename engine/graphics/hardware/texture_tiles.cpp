// Hardware images: the cut into power-of-two textures, texture creation, the quads a graphic
// draws with, empty graphics and the transfer of pixels into their textures.
#include <algorithm>
#include <cstring>

#include "../../core/log.h"
#include "../../core/tracked_memory.h"
#include "../../window/window.h"
#include "../../color/color_data.h"
#include "../graphic_handle.h"
#include "../graphics_state.h"
#include "hardware_state.h"
#include "platform/kernel32.h"

namespace {
constexpr int MaxTilesPerDimension = 32;
}

int TextureTileSplit(int n, int m, int screenWidth, int noSplit, int* tiles, int capacity) {
  if (capacity < 1) return -1;
  if (n <= 8) {
    tiles[0] = 8;
    return 1;
  }
  int e = m;
  while (e > 8 && e > n) e /= 2;
  if (noSplit || !(n >= screenWidth || m < 2 * e)) {
    tiles[0] = e < n ? 2 * e : e;
    return 1;
  }
  int count = 0, left = n;
  for (;;) {
    if (count == capacity) return -1;
    tiles[count++] = e;
    left -= e;
    if (left <= 0) break;
    if (left > e * 3 / 4 && e < m) break;
    while (e > left && e > 8) e /= 2;
  }
  if (left > 0) tiles[count - 1] = 2 * e;
  if (count >= 2 && tiles[count - 1] == tiles[count - 2] && tiles[count - 1] * 2 <= m) {
    tiles[count - 2] *= 2;
    --count;
  }
  return count;
}

int FormatKindOf(const ImageFlags& flags) {
  const int d = flags.bitDepth == 32 ? 1 : 0;
  if (flags.compression != 0) return 5 + flags.compression;
  if (flags.drawTarget) return flags.hasAlpha || flags.alphaTest ? TextureTargetAlpha32 : TextureTarget16 + d;
  if (flags.hasAlpha) return TextureAlpha16 + d;
  if (flags.alphaTest) return TextureAlphaTest16 + d;
  return d;
}

namespace {

// A new texture holds whatever the device left in it. The device fills only surfaces that it
// draws into; the others are written through a lock.
int ClearTexture(IDirect3DTexture9* texture, IDirect3DSurface9* surface, int drawTarget) {
  if (drawTarget) return FAILED(GraphicsState.device->ColorFill(surface, nullptr, 0)) ? -1 : 0;
  D3DSURFACE_DESC desc{};
  if (FAILED(surface->GetDesc(&desc))) return -1;
  const ColorData* format = ColorDataForSurfaceFormat(static_cast<std::uint32_t>(desc.Format));
  if (format == nullptr) return -1;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0)) || locked.pBits == nullptr) return -1;
  const std::size_t row = static_cast<std::size_t>(desc.Width) * static_cast<std::size_t>(format->bitsPerPixel / 8);
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memset(static_cast<std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(y) * locked.Pitch, 0, row);
  }
  return FAILED(texture->UnlockRect(0)) ? -1 : 0;
}

int CreateTileTexture(const SharedImage& image, TextureTile& tile) {
  const D3DFORMAT format = TextureFormatTable[image.formatKind];
  if (format == D3DFMT_UNKNOWN) {
    LogText("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
    return -1;
  }
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result = GraphicsState.device->CreateTexture(
      static_cast<UINT>(tile.textureWidth), static_cast<UINT>(tile.textureHeight), static_cast<UINT>(image.mipLevels),
      image.flags.drawTarget ? D3DUSAGE_RENDERTARGET : 0, format,
      image.flags.managedPool ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT, &texture, nullptr);
  if (FAILED(result) || texture == nullptr) {
    LogText("テクスチャの作成に失敗しました\n");
    return -1;
  }
  IDirect3DSurface9* surface = nullptr;
  if (FAILED(texture->GetSurfaceLevel(0, &surface)) || surface == nullptr) {
    texture->Release();
    LogText("テクスチャの作成に失敗しました\n");
    return -1;
  }
  if (ClearTexture(texture, surface, image.flags.drawTarget) != 0) {
    surface->Release();
    texture->Release();
    LogText("テクスチャの初期化に失敗しました\n");
    return -1;
  }
  tile.texture = texture;
  tile.surface = surface;
  return 0;
}

int CreateImageTextures(SharedImage* image) {
  const int count = image->columns * image->rows;
  for (int i = 0; i < count; ++i) {
    if (image->tiles[i].texture == nullptr && CreateTileTexture(*image, image->tiles[i]) != 0) return -1;
  }
  return 0;
}

int BuildQuads(GraphicRecord* record) {
  const SharedImage* image = record->image;
  const int count = image->columns * image->rows;
  auto* quads = static_cast<GraphicQuad*>(TrackedAlloc(sizeof(GraphicQuad) * static_cast<std::size_t>(count), "", 0));
  if (quads == nullptr) {
    LogText("画像描画情報格納用メモリの確保に失敗しました\n");
    return -1;
  }
  int used = 0;
  for (int i = 0; i < count; ++i) {
    const TextureTile& tile = image->tiles[i];
    const int left = std::max(tile.x, record->x), right = std::min(tile.x + tile.width, record->x + record->width);
    const int top = std::max(tile.y, record->y), bottom = std::min(tile.y + tile.height, record->y + record->height);
    if (left >= right || top >= bottom) continue;
    const float tw = static_cast<float>(tile.textureWidth), th = static_cast<float>(tile.textureHeight);
    quads[used++] = {static_cast<float>(left - record->x),
                     static_cast<float>(top - record->y),
                     static_cast<float>(right - record->x),
                     static_cast<float>(bottom - record->y),
                     static_cast<float>(left - tile.x) / tw,
                     static_cast<float>(top - tile.y) / th,
                     static_cast<float>(right - tile.x) / tw,
                     static_cast<float>(bottom - tile.y) / th,
                     &tile};
  }
  if (used == 0) {
    TrackedFree(quads);
    LogText("テクスチャ描画情報の作成に失敗しました\n");
    return -1;
  }
  TrackedFree(record->quads);
  record->quads = quads;
  record->quadCount = used;
  return 0;
}

// Whether the device can hold an image of these tiles: no tile above its largest texture, and
// all of them within the machine's memory (a managed texture keeps a copy there as well).
bool DeviceHolds(const int* widths, int columns, const int* heights, int rows, int maxTexture, int bitDepth) {
  std::uint64_t pixels = 0;
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) {
      if (widths[c] > maxTexture || heights[r] > maxTexture) return false;
      pixels += static_cast<std::uint64_t>(widths[c]) * static_cast<std::uint64_t>(heights[r]);
    }
  }
  MEMORYSTATUS memory{};
  GlobalMemoryStatus(&memory);
  return memory.dwTotalPhys == 0 || pixels * static_cast<std::uint64_t>(bitDepth / 8) <= memory.dwTotalPhys;
}

SharedImage* MakeSharedImage(int width, int height) {
  const int depth = GraphicCreate.bitDepth != 0 ? GraphicCreate.bitDepth : GraphicsState.screenBitDepth;
  // Draw targets live in the device's own memory and are never cut.
  const int target = GraphicCreate.drawTarget;
  int widths[MaxTilesPerDimension], heights[MaxTilesPerDimension];
  const int m = GraphicsState.maxTextureSize > 0 ? GraphicsState.maxTextureSize : 256;
  const int columns = TextureTileSplit(width, m, GraphicsState.screenWidth, target, widths, MaxTilesPerDimension);
  const int rows = TextureTileSplit(height, m, GraphicsState.screenWidth, target, heights, MaxTilesPerDimension);
  if (columns < 1 || rows < 1 || !DeviceHolds(widths, columns, heights, rows, m, depth == 16 ? 16 : 32)) {
    LogFormat("グラフィックのサイズ %d x %d はテクスチャに収まりません", width, height);
    return nullptr;
  }
  auto* image = static_cast<SharedImage*>(TrackedCalloc(sizeof(SharedImage), "", 0));
  if (image == nullptr) return nullptr;
  image->references = 1;
  image->width = width;
  image->height = height;
  image->mipLevels = 1;
  image->flags = {1,
                  GraphicCreate.alphaChannel,
                  target,
                  target ? 0 : 1,
                  0,
                  GraphicCreate.alphaChannel ? 0 : GraphicCreate.alphaTest,
                  depth == 16 ? 16 : 32};
  image->formatKind = FormatKindOf(image->flags);
  image->columns = columns;
  image->rows = rows;
  image->tiles = static_cast<TextureTile*>(
      TrackedCalloc(sizeof(TextureTile) * static_cast<std::size_t>(image->columns * image->rows), "", 0));
  if (image->tiles == nullptr) {
    TrackedFree(image);
    return nullptr;
  }
  int y = 0;
  for (int row = 0; row < image->rows; ++row) {
    int x = 0;
    for (int column = 0; column < image->columns; ++column) {
      TextureTile& tile = image->tiles[row * image->columns + column];
      tile.x = x;
      tile.y = y;
      tile.width = std::min(widths[column], width - x);
      tile.height = std::min(heights[row], height - y);
      tile.textureWidth = widths[column];
      tile.textureHeight = heights[row];
      x += widths[column];
    }
    y += heights[row];
  }
  return image;
}

}  // namespace

int BuildHardwareImage(GraphicRecord* record) {
  if (GraphicsState.device == nullptr) return -1;
  record->image = MakeSharedImage(record->width, record->height);
  if (record->image == nullptr) return -1;
  return CreateImageTextures(record->image);
}

int BuildHardwareQuads(GraphicRecord* record) { return BuildQuads(record); }

IDirect3DSurface9* GraphicTargetSurface(const GraphicRecord* record) {
  const SharedImage* image = record->image;
  if (image == nullptr || !image->flags.drawTarget || image->columns * image->rows != 1) return nullptr;
  if (record->x != 0 || record->y != 0) return nullptr;
  return image->tiles[0].surface;
}

int RecreateAllTextures() {
  if (GraphicsState.device == nullptr) return -1;
  for (int slot = 0; slot < GraphicTable.highWater; ++slot) {
    GraphicRecord* record = GraphicTable.slots[slot];
    if (record != nullptr && record->image != nullptr) CreateImageTextures(record->image);
  }
  return 0;
}

namespace {

std::uint32_t ReadPixel(const std::uint8_t* row, int x, int bytes) {
  if (bytes == 2) {
    std::uint16_t v;
    std::memcpy(&v, row + x * 2, 2);
    return v;
  }
  std::uint32_t v;
  std::memcpy(&v, row + x * 4, 4);
  return v;
}

void WritePixel(std::uint8_t* row, int x, int bytes, std::uint32_t value) {
  if (bytes == 2) {
    const auto v = static_cast<std::uint16_t>(value);
    std::memcpy(row + x * 2, &v, 2);
  } else {
    std::memcpy(row + x * 4, &value, 4);
  }
}

// Copies a rectangle of one image tile by tile; source() gives the pixel at (x, y) of the
// rectangle in A8R8G8B8 through the graphic's position.
// The software image: the same conversion into its MEMIMG.
template <class Source>
int WriteSoftware(GraphicRecord* record, int x, int y, int width, int height, Source source) {
  MEMIMG& view = record->softView;
  if (!IsMemImgValid(&view)) return -1;
  const ColorData* target = view.shared->colorData;
  const int bytes = BytesPerPixel(view.shared);
  for (int py = std::max(y, 0); py < std::min(y + height, view.height); ++py) {
    std::uint8_t* row = view.pixels + static_cast<std::ptrdiff_t>(py) * view.shared->pitch;
    for (int px = std::max(x, 0); px < std::min(x + width, view.width); ++px) {
      const std::uint32_t argb = source(px - x, py - y);
      WritePixel(row, px, bytes, PackColor(target, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24));
    }
  }
  view.shared->premultipliedValid = 0;
  view.shared->runCodesValid = 0;
  return 0;
}

template <class Source>
int WriteTiles(GraphicRecord* record, int x, int y, int width, int height, Source source) {
  if (!GraphicsState.useHardware) return WriteSoftware(record, x, y, width, height, source);
  if (GraphicsState.device == nullptr || record->image == nullptr) return -1;
  CloseScene();
  SharedImage* image = record->image;
  const ColorData* target =
      ColorDataForSurfaceFormat(static_cast<std::uint32_t>(TextureFormatTable[image->formatKind]));
  if (target == nullptr) return -1;
  const int bytes = target->bitsPerPixel / 8;
  // In image coordinates.
  const int left = record->x + std::max(x, 0), top = record->y + std::max(y, 0);
  const int right = record->x + std::min(x + width, record->width),
            bottom = record->y + std::min(y + height, record->height);
  for (int i = 0; i < image->columns * image->rows; ++i) {
    TextureTile& tile = image->tiles[i];
    if (tile.texture == nullptr) continue;
    const int l = std::max(left, tile.x), r = std::min(right, tile.x + tile.width);
    const int t = std::max(top, tile.y), b = std::min(bottom, tile.y + tile.height);
    if (l >= r || t >= b) continue;
    RECT area = {l - tile.x, t - tile.y, r - tile.x, b - tile.y};
    D3DLOCKED_RECT locked{};
    if (FAILED(tile.texture->LockRect(0, &locked, &area, 0))) continue;
    for (int py = t; py < b; ++py) {
      auto* row = static_cast<std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(py - t) * locked.Pitch;
      for (int px = l; px < r; ++px) {
        const std::uint32_t argb = source(px - record->x - x, py - record->y - y);
        WritePixel(row, px - l, bytes,
                   PackColor(target, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24));
      }
    }
    tile.texture->UnlockRect(0);
  }
  return 0;
}

}  // namespace

int TransferToGraphic(int handle, const void* pixels, int pitch, D3DFORMAT format, int width, int height, int x,
                      int y) {
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr || pixels == nullptr) return -1;
  const ColorData* source = ColorDataForSurfaceFormat(static_cast<std::uint32_t>(format));
  if (source == nullptr) return -1;
  const int bytes = source->bitsPerPixel / 8;
  const auto* base = static_cast<const std::uint8_t*>(pixels);
  return WriteTiles(record, x, y, width, height, [&](int sx, int sy) {
    int r = 0, g = 0, b = 0, a = 0;
    UnpackColor(source, ReadPixel(base + static_cast<std::ptrdiff_t>(sy) * pitch, sx, bytes), &r, &g, &b, &a);
    return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(r) << 16) |
           (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
  });
}

int FillGraphic(int handle, std::uint32_t argb) {
  GraphicRecord* record = GraphicFromHandle(handle);
  if (record == nullptr) return -1;
  return WriteTiles(record, 0, 0, record->width, record->height, [&](int, int) { return argb; });
}
