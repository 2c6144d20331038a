#include "png_image.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool ReadPng(const std::string& path, PngImage* image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&png);
    return false;
  }
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->pixels.resize(static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
  for (std::size_t i = 0; i < image->pixels.size(); ++i) {
    image->pixels[i] =
        static_cast<std::uint32_t>(rgb[3 * i]) << 16 | static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
  }
  return true;
}

bool WritePng(const std::string& path, const PngImage& image) {
  std::vector<std::uint8_t> rgb(image.pixels.size() * 3);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    rgb[3 * i] = static_cast<std::uint8_t>(image.pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<std::uint8_t>(image.pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<std::uint8_t>(image.pixels[i]);
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}
