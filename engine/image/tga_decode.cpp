// TGA by hand: colour-mapped, true-colour and grey images, plain or run-length encoded, 8 to 32
// bits a pixel, either origin. TGA has no signature, so the header is checked hard: a file of
// another kind must not pass for one.
#include "byte_reader.h"
#include "image_decode.h"

namespace {

// One pixel of `bytes` bytes at `at` as 0xAARRGGBB; grey pixels repeat their byte.
std::uint32_t TgaPixel(const ByteReader& in, std::size_t at, int bytes, bool grey, bool alpha) {
  switch (bytes) {
    case 1: {
      const std::uint32_t v = in.U8(at);
      return Argb(255, v, v, v);
    }
    case 2: {
      const std::uint32_t v = in.U16(at);
      if (grey) return Argb(alpha ? v >> 8 : 255, v & 0xFF, v & 0xFF, v & 0xFF);
      const auto five = [](std::uint32_t c) { return (c & 0x1F) * 255 / 31; };
      return Argb(alpha ? ((v & 0x8000) ? 255 : 0) : 255, five(v >> 10), five(v >> 5), five(v));
    }
    case 3:
      return Argb(255, in.U8(at + 2), in.U8(at + 1), in.U8(at));
    default:
      return Argb(alpha ? in.U8(at + 3) : 255, in.U8(at + 2), in.U8(at + 1), in.U8(at));
  }
}

}  // namespace

int DecodeTga(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  const ByteReader in{data, size};
  if (!in.Has(0, 18)) return ImageFailure("TGA", "対応していない形式か、壊れたファイルです");
  const std::uint32_t idLength = in.U8(0), mapType = in.U8(1), type = in.U8(2);
  const std::uint32_t mapFirst = in.U16(3), mapLength = in.U16(5), mapBits = in.U8(7);
  const int width = static_cast<int>(in.U16(12)), height = static_cast<int>(in.U16(14));
  const int bits = static_cast<int>(in.U8(16));
  const std::uint32_t descriptor = in.U8(17);
  const std::uint32_t kind = type & 7;
  const bool rle = (type & 8) != 0;
  const bool known = (kind == 1 || kind == 2 || kind == 3) && (type & ~0xBu) == 0 && mapType <= 1 &&
                     (kind != 1 || (mapType == 1 && bits == 8)) &&
                     (kind != 2 || bits == 15 || bits == 16 || bits == 24 || bits == 32) &&
                     (kind != 3 || bits == 8 || bits == 16) && (descriptor & 0xC0) == 0;
  if (!known) return ImageFailure("TGA", "対応していない形式か、壊れたファイルです");
  const int mapBytes = static_cast<int>((mapBits + 7) / 8);
  if (mapType == 1 && (mapBytes < 2 || mapBytes > 4)) return ImageFailure("TGA", "カラーマップが壊れています");
  const std::size_t mapAt = 18 + idLength;
  const std::size_t mapSize = mapType == 1 ? static_cast<std::size_t>(mapLength) * mapBytes : 0;
  if (!in.Has(mapAt, mapSize)) return ImageFailure("TGA", "カラーマップが途中で終わっています");
  const std::uint32_t alphaBits = descriptor & 0xF;
  const bool alpha = kind == 1 ? mapBits == 32 || (mapBits == 16 && alphaBits == 1)
                               : (bits == 32 && alphaBits > 0) || (bits == 16 && alphaBits > 0);
  const int bytes = (bits + 7) / 8;
  // The least data that can hold the declared pixels, checked before the pixels are allocated.
  const std::size_t pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t least = rle ? (pixelCount + 127) / 128 * (1 + static_cast<std::size_t>(bytes)) : pixelCount * bytes;
  if (!in.Has(mapAt + mapSize, least)) return ImageFailure("TGA", "画素データが大きさに足りません");
  if (AllocImagePixels(image, width, height, "TGA") != 0) return -1;
  image->hasAlpha = alpha ? 1 : 0;

  const bool topDown = (descriptor & 0x20) != 0, rightToLeft = (descriptor & 0x10) != 0;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  std::size_t at = mapAt + mapSize;
  auto read = [&](std::size_t offset) -> std::uint32_t {
    if (kind != 1) return TgaPixel(in, offset, bytes, kind == 3, alpha);
    const std::uint32_t index = in.U8(offset);
    if (index < mapFirst || index - mapFirst >= mapLength) return 0xFF000000u;
    return TgaPixel(in, mapAt + (index - mapFirst) * mapBytes, mapBytes, false, alpha);
  };
  auto store = [&](std::size_t i, std::uint32_t argb) {
    const int x = static_cast<int>(i % width), row = static_cast<int>(i / width);
    const int px = rightToLeft ? width - 1 - x : x, py = topDown ? row : height - 1 - row;
    image->pixels[static_cast<std::size_t>(py) * width + px] = argb;
  };
  std::size_t i = 0;
  if (!rle) {
    if (in.Has(at, count * bytes)) {
      for (; i < count; ++i, at += bytes) store(i, read(at));
    }
  } else {
    while (i < count && in.Has(at, 1)) {
      const std::uint32_t header = in.U8(at++);
      const std::size_t n = (header & 0x7F) + 1;
      if (n > count - i) break;  // a packet across the image's end: damaged
      if (header & 0x80) {
        if (!in.Has(at, bytes)) break;
        const std::uint32_t argb = read(at);
        at += bytes;
        for (std::size_t k = 0; k < n; ++k) store(i++, argb);
      } else {
        if (!in.Has(at, n * bytes)) break;
        for (std::size_t k = 0; k < n; ++k, at += bytes) store(i++, read(at));
      }
    }
  }
  if (i < count) {
    ReleaseImageRecord(image);
    return ImageFailure("TGA", "画素データが途中で終わっています");
  }
  return 0;
}
