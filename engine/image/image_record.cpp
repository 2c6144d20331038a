#include "image_record.h"

#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"

int ImageFailure(const char* reader, const char* what) {
  LogFormat("画像の読み込みに失敗しました (%s): %s", reader, what);
  SetLastErrorText("the data is not an image of a kind read, or is damaged or cut short (read as %s)", reader);
  return -1;
}

int AllocImagePixels(ImageRecord* image, int width, int height, const char* reader) {
  image->pixels = nullptr;
  image->width = image->height = 0;
  if (width <= 0 || height <= 0) {
    ImageFailure(reader, "大きさが 0 です");
    SetLastErrorText("an image of %d x %d has no pixels", width, height);
    return -1;
  }
  if (width > MaxImageSide || height > MaxImageSide || std::int64_t{width} * height > MaxImagePixels) {
    LogFormat("画像が大きすぎます: %d x %d (上限 %d x %d、%lld 画素)", width, height, MaxImageSide, MaxImageSide,
              static_cast<long long>(MaxImagePixels));
    ImageFailure(reader, "大きさの上限を越えています");
    SetLastErrorText("an image of %d x %d is beyond the limits of %d pixels a side and %lld pixels", width, height,
                     MaxImageSide, static_cast<long long>(MaxImagePixels));
    return -1;
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  image->pixels = static_cast<std::uint32_t*>(TrackedAlloc(bytes, __FILE__, __LINE__));
  if (image->pixels == nullptr) {
    ImageFailure(reader, "メモリの確保に失敗しました");
    SetLastErrorText("there is no memory for the pixels of an image of %d x %d", width, height);
    return -1;
  }
  image->width = width;
  image->height = height;
  return 0;
}

void ReleaseImageRecord(ImageRecord* image) {
  if (image == nullptr) return;
  TrackedFree(image->pixels);
  *image = ImageRecord{};
}

DecodedImage DecodedViewOf(const ImageRecord& image) {
  DecodedImage view{};
  view.width = image.width;
  view.height = image.height;
  view.pitch = image.width * 4;
  view.pixels = reinterpret_cast<const std::uint8_t*>(image.pixels);
  if (image.hasAlpha) {
    FillArgb32ColorData(&view.format);
  } else {
    FillXrgb32ColorData(&view.format);
  }
  return view;
}
