#include "mem_img_transfer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "soft_memory.h"
#include "mem_img_derived.h"

namespace {

// An image's palette holds 32-bit 0xRRGGBB values, or 5:6:5 values for Color16 images, in
// 4-byte entries; the converter wants blue, green, red bytes.
void PaletteOf(const MemImgShared* shared, PaletteEntry out[256]) {
  for (int i = 0; i < 256; ++i) {
    std::uint32_t v;
    std::memcpy(&v, shared->palette + 4 * i, 4);
    if (shared->colorType == Color16) {
      out[i] = {static_cast<std::uint8_t>((v & 0x1F) * 255 / 31), static_cast<std::uint8_t>((v >> 5 & 0x3F) * 255 / 63),
                static_cast<std::uint8_t>((v >> 11 & 0x1F) * 255 / 31), 0};
    } else {
      out[i] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16), 0};
    }
  }
}

std::uint8_t* PixelAt(const MEMIMG* image, long long x, long long y) {
  return image->pixels + static_cast<std::ptrdiff_t>(y) * image->shared->pitch +
         static_cast<std::ptrdiff_t>(x) * BytesPerPixel(image->shared);
}

}  // namespace

int CopyMemImg(MEMIMG* destination, const MEMIMG* source, const Rect* sourceRect, int x, int y) {
  if (!IsMemImgValid(destination) || !IsMemImgValid(source)) return -1;
  // Clip the source rectangle to the source, then its placement to the destination, moving
  // the other side along by the same amount. 64-bit: x + width may pass INT_MAX.
  long long left = sourceRect ? sourceRect->left : 0, top = sourceRect ? sourceRect->top : 0;
  long long right = sourceRect ? sourceRect->right : source->width;
  long long bottom = sourceRect ? sourceRect->bottom : source->height;
  long long dx = x, dy = y;
  if (left < 0) dx -= left, left = 0;
  if (top < 0) dy -= top, top = 0;
  right = std::min<long long>(right, source->width);
  bottom = std::min<long long>(bottom, source->height);
  if (dx < 0) left -= dx, dx = 0;
  if (dy < 0) top -= dy, dy = 0;
  right = std::min(right, left + (destination->width - dx));
  bottom = std::min(bottom, top + (destination->height - dy));
  if (right <= left || bottom <= top) return 0;
  const int width = static_cast<int>(right - left), height = static_cast<int>(bottom - top);

  MemImgShared* from = source->shared;
  MemImgShared* to = destination->shared;
  PaletteEntry sourcePalette[256], destinationPalette[256];
  if (from->paletted) PaletteOf(from, sourcePalette);
  if (to->paletted) PaletteOf(to, destinationPalette);
  PixelSurface surface{PixelAt(source, left, top), from->pitch, from->colorData,
                       from->paletted ? sourcePalette : nullptr};

  // Within one storage the rectangles may overlap: convert from a copy of the source rows.
  void* scratch = nullptr;
  if (from == to) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * BytesPerPixel(from);
    scratch = SoftAllocate(rowBytes * static_cast<std::size_t>(height));
    if (scratch == nullptr) return -1;
    for (int row = 0; row < height; ++row) {
      std::memcpy(static_cast<std::uint8_t*>(scratch) + rowBytes * row,
                  surface.pixels + static_cast<std::ptrdiff_t>(row) * from->pitch, rowBytes);
    }
    surface.pixels = static_cast<std::uint8_t*>(scratch);
    surface.pitch = static_cast<int>(rowBytes);
  }
  const int result = ConvertPixels(surface, PixelAt(destination, dx, dy), to->pitch, to->colorData,
                                   to->paletted ? destinationPalette : nullptr, width, height, ConvertOptions{});
  SoftRelease(scratch);
  return result;
}

int LoadMemImgPixels(const DecodedImage* image, const DecodedImage* alphaImage, MEMIMG* target, int sourceX,
                     int sourceY, int width, int height, int destinationX, int destinationY, int transparencyOption) {
  if (image == nullptr || image->pixels == nullptr || !IsMemImgValid(target)) return -1;
  auto inside = [](long long x, long long y, long long w, long long h, long long limitW, long long limitH) {
    return x >= 0 && y >= 0 && w >= 0 && h >= 0 && x + w <= limitW && y + h <= limitH;
  };
  if (!inside(sourceX, sourceY, width, height, image->width, image->height) ||
      !inside(destinationX, destinationY, width, height, target->width, target->height)) {
    return -1;
  }
  MemImgShared* shared = target->shared;
  auto surfaceOf = [&](const DecodedImage* d) {
    return PixelSurface{d->pixels + static_cast<std::ptrdiff_t>(sourceY) * d->pitch +
                            static_cast<std::ptrdiff_t>(sourceX) * d->format.bytesPerPixel,
                        d->pitch, &d->format, d->format.palette};
  };
  // Rows shorter than the image would have the converter read past them.
  auto rowsFit = [](const DecodedImage* d) {
    const int bytes = d->format.bytesPerPixel;
    return bytes >= 1 && bytes <= 4 && d->pitch >= 0 &&
           static_cast<long long>(d->pitch) >= static_cast<long long>(d->width) * bytes;
  };
  if (!rowsFit(image) || (alphaImage != nullptr && !rowsFit(alphaImage))) return -1;
  const PixelSurface source = surfaceOf(image);

  ConvertOptions options;
  PixelSurface alphaSurface{};
  const bool grey = shared->colorType == Gray8 || shared->colorType == Gray16;
  if (grey) {
    options.singleChannel = 1;
  } else {
    if (alphaImage != nullptr) {
      if (alphaImage->pixels == nullptr ||
          !inside(sourceX, sourceY, width, height, alphaImage->width, alphaImage->height)) {
        return -1;
      }
      alphaSurface = surfaceOf(alphaImage);
      options.alphaSource = &alphaSurface;
    }
    if (transparencyOption && shared->hasAlpha && !shared->paletted) {
      int r, g, b;
      UnpackColor(shared->colorData, shared->transColor, &r, &g, &b, nullptr);
      options.useTransparentColor = 1;
      options.transparentColor = static_cast<std::uint32_t>(r << 16 | g << 8 | b);
    }
  }
  const int result =
      ConvertPixels(source, PixelAt(target, destinationX, destinationY), shared->pitch, shared->colorData,
                    shared->paletted ? image->format.palette : nullptr, width, height, options);
  if (result < 0) return result;
  if (shared->paletted && alphaImage == nullptr) shared->paletteCount = result + 1;

  if (shared->paletted) {
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& e = image->format.palette[i];
      const std::uint32_t value =
          shared->colorType == Color16
              ? static_cast<std::uint32_t>((e.red >> 3) << 11 | (e.green >> 2) << 5 | (e.blue >> 3))
              : static_cast<std::uint32_t>(e.red << 16 | e.green << 8 | e.blue);
      std::memcpy(shared->palette + 4 * i, &value, 4);
    }
    std::memcpy(shared->paletteWork, shared->palette, 1024);
  }

  shared->premultipliedValid = 0;
  shared->runCodesValid = 0;
  if (width == shared->width && height == shared->height &&
      (shared->colorType == Color16 || shared->colorType == Color32) && shared->runCodes != nullptr) {
    shared->runCodesValid = 1;
    if (shared->hasAlpha && shared->premultipliedBuffer != nullptr) {
      BuildPremultipliedCopy(shared);
      shared->premultipliedValid = 1;
    }
    BuildRunCodes(shared);
  }
  return 0;
}
