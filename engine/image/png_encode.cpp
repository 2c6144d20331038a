#include "png_encode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"

namespace {

// The growing output, in tracked memory.
struct PngSink {
  std::uint8_t* data;
  std::size_t size, capacity;
  bool failed;
};

void WriteToMemory(png_structp png, png_bytep bytes, png_size_t length) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  if (sink->size + length > sink->capacity) {
    std::size_t capacity = sink->capacity != 0 ? sink->capacity : 4096;
    while (capacity < sink->size + length) capacity *= 2;
    auto* grown = static_cast<std::uint8_t*>(TrackedRealloc(sink->data, capacity, __FILE__, __LINE__));
    if (grown == nullptr) {
      sink->failed = true;
      png_error(png, "out of memory");
    }
    sink->data = grown;
    sink->capacity = capacity;
  }
  std::memcpy(sink->data + sink->size, bytes, length);
  sink->size += length;
}

void Flush(png_structp) {}
void Quiet(png_structp, png_const_charp) {}

}  // namespace

int EncodePng(const std::uint32_t* pixels, int width, int height, int pitch, int alpha, std::uint8_t** data,
              std::size_t* size) {
  *data = nullptr;
  *size = 0;
  if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width) return -1;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Quiet);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    LogText("PNG の書き出しを始められませんでした\n");
    return -1;
  }
  PngSink sink{nullptr, 0, 0, false};
  std::uint8_t* volatile row = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    TrackedFree(row);
    TrackedFree(sink.data);
    LogText("PNG の書き出しに失敗しました\n");
    return -1;
  }
  png_set_write_fn(png, &sink, WriteToMemory, Flush);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  row = static_cast<std::uint8_t*>(TrackedAlloc(static_cast<std::size_t>(width) * channels, __FILE__, __LINE__));
  if (row == nullptr) png_error(png, "out of memory");
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + static_cast<std::size_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = source[x];
      std::uint8_t* out = row + x * channels;
      out[0] = static_cast<std::uint8_t>(p >> 16);
      out[1] = static_cast<std::uint8_t>(p >> 8);
      out[2] = static_cast<std::uint8_t>(p);
      if (alpha) out[3] = static_cast<std::uint8_t>(p >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  TrackedFree(row);
  *data = sink.data;
  *size = sink.size;
  return 0;
}
