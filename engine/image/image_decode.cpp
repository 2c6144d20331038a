#include "image_decode.h"

#include <cstring>

namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t length) {
  return size >= length && std::memcmp(data, magic, length) == 0;
}

}  // namespace

int DecodeImage(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  if (data == nullptr || size == 0) return ImageFailure("image", "データが空です");
  if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return DecodePng(data, size, image);
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return DecodeJpeg(data, size, image);
  if (StartsWith(data, size, "BM", 2)) return DecodeBmp(data, size, image);
  if (StartsWith(data, size, "DDS ", 4)) return DecodeDds(data, size, image);
  return DecodeTga(data, size, image);
}
