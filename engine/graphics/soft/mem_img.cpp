// Creating, releasing, viewing and filling software images.
#include "mem_img.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "soft_memory.h"

namespace {

int PixelBytes(int colorType, int paletted, int alpha) {
  if (paletted) return 1;
  switch (colorType) {
    case Color16:
      return alpha ? 4 : 2;
    case Color32:
      return 4;
    case Gray8:
      return 1;
    case Gray16:
      return 2;
    default:
      return 0;
  }
}

// Rows go through the C library's wide-character fill, which uses the widest stores the CPU
// has; a 16-bit value is doubled into 32 bits once its row is 4-byte aligned.
void FillRow(std::uint8_t* row, int count, std::uint8_t value) {
  std::memset(row, value, static_cast<std::size_t>(count));
}

static_assert(sizeof(wchar_t) == 4, "the fills rely on a 32-bit wchar_t");

void FillRow(std::uint32_t* row, int count, std::uint32_t value) {
  if (reinterpret_cast<std::uintptr_t>(row) % alignof(wchar_t) != 0) {
    for (int x = 0; x < count; ++x) row[x] = value;
    return;
  }
  std::wmemset(reinterpret_cast<wchar_t*>(row), static_cast<wchar_t>(value), static_cast<std::size_t>(count));
}

void FillRow(std::uint16_t* row, int count, std::uint16_t value) {
  if (count > 0 && reinterpret_cast<std::uintptr_t>(row) % 4 != 0) {
    *row++ = value;
    --count;
  }
  if (reinterpret_cast<std::uintptr_t>(row) % 4 != 0) {
    for (int x = 0; x < count; ++x) row[x] = value;
    return;
  }
  const std::uint32_t pair = static_cast<std::uint32_t>(value) * 0x10001u;
  std::wmemset(reinterpret_cast<wchar_t*>(row), static_cast<wchar_t>(pair), static_cast<std::size_t>(count / 2));
  if (count % 2 != 0) row[count - 1] = value;
}

void FreeStorage(MemImgShared* shared) {
  if (!shared->externalPixels) SoftRelease(shared->pixelBuffer);
  SoftRelease(shared->premultipliedBuffer);
  SoftRelease(shared->runCodes);
  SoftRelease(shared->palette);
  SoftRelease(shared);
}

template <class Pixel>
void FillRows(std::uint8_t* first, int pitch, const Rect& r, Pixel value) {
  const int count = r.right - r.left;
  // Rows without padding between them are one run: one call instead of one per row.
  if (static_cast<long long>(count) * static_cast<long long>(sizeof(Pixel)) == pitch &&
      static_cast<long long>(count) * (r.bottom - r.top) <= 0x7FFFFFFF) {
    Pixel* start = reinterpret_cast<Pixel*>(first + static_cast<std::ptrdiff_t>(r.top) * pitch);
    FillRow(start, count * (r.bottom - r.top), value);
    return;
  }
  for (int y = r.top; y < r.bottom; ++y) {
    Pixel* row = reinterpret_cast<Pixel*>(first + static_cast<std::ptrdiff_t>(y) * pitch) + r.left;
    FillRow(row, count, value);
  }
}

}  // namespace

int BytesPerPixel(const MemImgShared* shared) {
  return PixelBytes(shared->colorType, shared->paletted, shared->hasAlpha);
}

int ClipRect(Rect* rect, const Rect* clip) {
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  auto clamp = [](std::int32_t* v, std::int32_t low, std::int32_t high) {
    if (*v > high) {
      *v = high;
    } else if (*v < low) {
      *v = low;
    }
  };
  clamp(&rect->bottom, clip->top, clip->bottom);
  clamp(&rect->top, clip->top, clip->bottom);
  clamp(&rect->right, clip->left, clip->right);
  clamp(&rect->left, clip->left, clip->right);
  return 0;
}

int CreateMemImg(MEMIMG* image, int width, int height, int pitch, std::uint32_t transColor, int colorType, int paletted,
                 int alpha, int extras, void* externalPixels) {
  if (image->validMark == MemImgValidMark) return -1;
  if (colorType == Gray8 || colorType == Gray16) {
    paletted = alpha = 0;
  } else if (paletted) {
    alpha = 0;
  }
  const int bytes = PixelBytes(colorType, paletted, alpha);
  // Sizes that cannot make an image are refused rather than wrapping into a short buffer.
  if (bytes == 0 || width < 0 || height < 0 || width > 0x7FFFFFFF / 4 - 16) return -1;

  auto* shared = static_cast<MemImgShared*>(SoftAllocateZeroed(sizeof(MemImgShared)));
  if (shared == nullptr) return -1;
  shared->refCount = 1;
  shared->width = width;
  shared->height = height;
  shared->transColor = transColor;
  shared->colorType = colorType;
  shared->paletted = paletted ? 1 : 0;
  shared->hasAlpha = alpha ? 1 : 0;

  bool failed = false;
  if (paletted) {
    shared->palette = static_cast<std::uint8_t*>(SoftAllocateZeroed(2048));
    shared->paletteWork = shared->palette + 1024;
    failed = shared->palette == nullptr;
  }

  const int rowBytes = width * bytes;
  // A given pitch shorter than a row would make every drawing call write into the next row
  // and the last row past the buffer.
  if (pitch != -1 && pitch < rowBytes) {
    FreeStorage(shared);
    return -1;
  }
  shared->pitch = pitch == -1 ? (rowBytes + 15) & ~15 : pitch;
  const long long wanted = pitch == -1 ? rowBytes : pitch;
  long long power = 1;
  int log2 = 0;
  while (power < wanted) {
    power <<= 1;
    ++log2;
  }
  shared->pitchShift = power == shared->pitch ? log2 : -1;
  shared->colorData = ColorDataForMemImg(colorType, shared->hasAlpha, shared->paletted);

  const std::size_t storage = static_cast<std::size_t>(shared->pitch) * static_cast<std::size_t>(height);
  if (externalPixels != nullptr) {
    shared->pixelBuffer = static_cast<std::uint8_t*>(externalPixels);
    shared->externalPixels = 1;
  } else if (!failed) {
    shared->pixelBuffer = static_cast<std::uint8_t*>(SoftAllocate(storage));
    failed = shared->pixelBuffer == nullptr;
  }
  if (extras && !failed) {
    if (shared->hasAlpha) {
      shared->premultipliedBuffer = static_cast<std::uint8_t*>(SoftAllocate(storage));
      failed = shared->premultipliedBuffer == nullptr;
    }
    if (colorType != Gray8 && !failed) {
      const std::size_t codes = (static_cast<std::size_t>(width) + 5) * static_cast<std::size_t>(height);
      shared->runCodes = static_cast<std::uint8_t*>(SoftAllocate(codes));
      failed = shared->runCodes == nullptr;
    }
  }
  if (failed) {
    FreeStorage(shared);
    return -1;
  }

  image->shared = shared;
  image->validMark = MemImgValidMark;
  image->width = width;
  image->height = height;
  image->pixels = shared->pixelBuffer;
  image->premultiplied = shared->premultipliedBuffer;
  return 0;
}

int CreateScreenMemImg(MEMIMG* image, int width, int height, int colorType) {
  std::memset(image, 0, sizeof *image);
  return CreateMemImg(image, width, height, -1, 0, colorType, 0, 0, 0, nullptr);
}

void ReleaseMemImg(MEMIMG* image) {
  if (image->validMark != MemImgValidMark) return;
  if (image->shared != nullptr && --image->shared->refCount == 0) FreeStorage(image->shared);
  image->shared = nullptr;
  image->validMark = 0;
}

int IsMemImgValid(const MEMIMG* image) {
  return image != nullptr && image->validMark == MemImgValidMark && image->shared != nullptr ? 1 : 0;
}

void MakeMemImgView(MEMIMG* destination, const MEMIMG* source, int x, int y, int width, int height) {
  if (!IsMemImgValid(source)) return;
  if (x < 0 || y < 0 || width < 0 || height < 0 || x > source->width - width || y > source->height - height) {
    return;
  }
  MemImgShared* shared = source->shared;
  const std::ptrdiff_t offset =
      static_cast<std::ptrdiff_t>(x) * BytesPerPixel(shared) + static_cast<std::ptrdiff_t>(y) * shared->pitch;
  destination->validMark = MemImgValidMark;
  destination->width = width;
  destination->height = height;
  destination->pixels = source->pixels + offset;
  destination->premultiplied = shared->premultipliedBuffer != nullptr ? source->premultiplied + offset : nullptr;
  destination->shared = shared;
  ++shared->refCount;
}

void FillMemImg(MEMIMG* image, const Rect* rect, std::uint32_t value) {
  if (!IsMemImgValid(image)) return;
  const Rect whole{0, 0, image->width, image->height};
  Rect r = rect != nullptr ? *rect : whole;
  ClipRect(&r, &whole);
  if (r.left == r.right || r.top == r.bottom) return;
  const int pitch = image->shared->pitch;
  switch (BytesPerPixel(image->shared)) {
    case 1:
      FillRows<std::uint8_t>(image->pixels, pitch, r, static_cast<std::uint8_t>(value));
      break;
    case 2:
      FillRows<std::uint16_t>(image->pixels, pitch, r, static_cast<std::uint16_t>(value));
      break;
    case 4:
      FillRows<std::uint32_t>(image->pixels, pitch, r, value);
      break;
    default:
      break;
  }
}
