// PNG through libpng: every colour type and depth, palettes, tRNS and interlacing, expanded to
// 8-bit BGRA rows. libpng reports errors by long jump: nothing with a destructor lives across
// the jump, and the pixel block is held where the error path can free it.
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>

#include "image_decode.h"

namespace {

struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->size - source->offset) png_error(png, "truncated");
  std::memcpy(out, source->data + source->offset, length);
  source->offset += length;
}

void Quiet(png_structp, png_const_charp) {}

// The reason libpng gave, kept for the log line.
char lastError[128];
void KeepError(png_structp png, png_const_charp message) {
  std::strncpy(lastError, message != nullptr ? message : "", sizeof lastError - 1);
  lastError[sizeof lastError - 1] = '\0';
  png_longjmp(png, 1);
}

}  // namespace

int DecodePng(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, KeepError, Quiet);
  if (png == nullptr) return ImageFailure("PNG", "libpng を初期化できません");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return ImageFailure("PNG", "libpng を初期化できません");
  }
  PngSource source{data, size, 0};
  png_bytep* volatile rows = nullptr;
  lastError[0] = '\0';
  if (setjmp(png_jmpbuf(png))) {
    png_free(png, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    ReleaseImageRecord(image);
    return ImageFailure("PNG", lastError[0] != '\0' ? lastError : "壊れたファイルです");
  }
  png_set_read_fn(png, &source, ReadFromMemory);
  // libpng's own guard against huge declared sizes, besides the record's.
  png_set_user_limits(png, MaxImageSide, MaxImageSide);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  const int colorType = png_get_color_type(png, info);
  // Deflate packs at most about 1032 bytes into one: a file far smaller than its declared rows
  // is refused before their pixels are allocated.
  const double rawBytes =
      static_cast<double>(height) *
      (1.0 + std::ceil(static_cast<double>(width) * png_get_channels(png, info) * png_get_bit_depth(png, info) / 8.0));
  if (rawBytes / 1100.0 > static_cast<double>(size)) png_error(png, "file too small for its declared size");
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) png_error(png, "unexpected row layout");
  if (AllocImagePixels(image, static_cast<int>(width), static_cast<int>(height), "PNG") != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return -1;
  }
  image->hasAlpha = alpha ? 1 : 0;
  rows = static_cast<png_bytep*>(png_malloc(png, sizeof(png_bytep) * height));
  for (png_uint_32 y = 0; y < height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(image->pixels + static_cast<std::size_t>(y) * width);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  png_free(png, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}
