// BMP by hand: core and info headers up to version 5; 1-, 4- and 8-bit palettes, 16- and 32-bit
// pixels with or without bit-field masks, 24-bit, and 8- and 4-bit run-length data.
#include <algorithm>

#include "byte_reader.h"
#include "image_decode.h"

namespace {

constexpr std::uint32_t BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6;

struct BmpLayout {
  int width, height;
  bool topDown;
  int bits;
  std::uint32_t compression;
  MaskChannel red, green, blue, alpha;
  std::uint32_t palette[256];
  int paletteSize;
  std::size_t pixelOffset;
};

// Writes pixel (x, row) where row counts in file order (bottom-up unless topDown).
struct BmpTarget {
  ImageRecord* image;
  bool topDown;
  void Set(int x, int row, std::uint32_t argb) const {
    if (x < 0 || row < 0 || x >= image->width || row >= image->height) return;
    const int y = topDown ? row : image->height - 1 - row;
    image->pixels[static_cast<std::size_t>(y) * image->width + x] = argb;
  }
};

int DecodeRle(const ByteReader& in, const BmpLayout& layout, const BmpTarget& target) {
  std::size_t at = layout.pixelOffset;
  int x = 0, row = 0;
  const bool four = layout.compression == BiRle4;
  auto colour = [&](std::uint32_t index) { return layout.palette[index < 256 ? index : 0]; };
  // Only the end mark ends the picture: data that stops before it was cut short.
  for (;;) {
    if (!in.Has(at, 2)) return -1;
    const std::uint32_t count = in.U8(at), value = in.U8(at + 1);
    at += 2;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count; ++i, ++x) {
        const std::uint32_t index = four ? ((i & 1) ? value & 0xF : value >> 4) : value;
        target.Set(x, row, colour(index));
      }
    } else if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      return 0;
    } else if (value == 2) {  // move
      if (!in.Has(at, 2)) return -1;
      x += static_cast<int>(in.U8(at));
      row += static_cast<int>(in.U8(at + 1));
      at += 2;
    } else {  // value literal indices, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (!in.Has(at, bytes)) return -1;
      for (std::uint32_t i = 0; i < value; ++i, ++x) {
        const std::uint32_t byte = in.U8(at + (four ? i / 2 : i));
        target.Set(x, row, colour(four ? ((i & 1) ? byte & 0xF : byte >> 4) : byte));
      }
      at += bytes + (bytes & 1);
    }
    if (x > layout.width + 255 || row > layout.height) return -1;  // far past the picture: not one
  }
}

int DecodeRows(const ByteReader& in, const BmpLayout& layout, const BmpTarget& target) {
  const std::size_t stride = (static_cast<std::size_t>(layout.width) * layout.bits + 31) / 32 * 4;
  if (!in.Has(layout.pixelOffset, stride * static_cast<std::size_t>(layout.height))) return -1;
  const bool alpha = layout.alpha.bits != 0;
  for (int row = 0; row < layout.height; ++row) {
    const std::uint8_t* p = in.data + layout.pixelOffset + stride * row;
    for (int x = 0; x < layout.width; ++x) {
      std::uint32_t argb;
      switch (layout.bits) {
        case 1:
        case 4:
        case 8: {
          const int perByte = 8 / layout.bits;
          const int shift = 8 - layout.bits * (x % perByte + 1);
          const std::uint32_t index = (p[x / perByte] >> shift) & ((1u << layout.bits) - 1);
          argb = layout.palette[index];
          break;
        }
        case 24:
          argb = Argb(255, p[x * 3 + 2], p[x * 3 + 1], p[x * 3]);
          break;
        default: {
          const std::uint32_t v = layout.bits == 16
                                      ? static_cast<std::uint32_t>(p[x * 2] | p[x * 2 + 1] << 8)
                                      : static_cast<std::uint32_t>(p[x * 4] | p[x * 4 + 1] << 8 | p[x * 4 + 2] << 16) |
                                            static_cast<std::uint32_t>(p[x * 4 + 3]) << 24;
          argb = Argb(alpha ? layout.alpha.Get(v) : 255, layout.red.Get(v), layout.green.Get(v), layout.blue.Get(v));
        }
      }
      target.Set(x, row, argb);
    }
  }
  return 0;
}

}  // namespace

int DecodeBmp(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  const ByteReader in{data, size};
  if (!in.Has(0, 26) || in.U16(0) != 0x4D42) return ImageFailure("BMP", "ヘッダが壊れています");
  BmpLayout layout{};
  const std::uint32_t headerSize = in.U32(14);
  std::size_t paletteAt = 14 + headerSize;
  int paletteEntryBytes = 4;
  std::uint32_t colorsUsed = 0;
  if (headerSize == 12) {
    layout.width = static_cast<int>(in.U16(18));
    layout.height = static_cast<int>(in.U16(20));
    layout.bits = static_cast<int>(in.U16(24));
    layout.compression = BiRgb;
    paletteEntryBytes = 3;
  } else if (headerSize >= 40 && headerSize <= 124 && in.Has(14, headerSize)) {
    const auto width = static_cast<std::int32_t>(in.U32(18)), height = static_cast<std::int32_t>(in.U32(22));
    if (width <= 0 || height == 0 || height == INT32_MIN) return ImageFailure("BMP", "大きさが壊れています");
    layout.width = width;
    layout.topDown = height < 0;
    layout.height = height < 0 ? -height : height;
    layout.bits = static_cast<int>(in.U16(28));
    layout.compression = in.U32(30);
    colorsUsed = in.U32(46);
    if (layout.compression == BiBitfields || layout.compression == BiAlphaBitfields) {
      // Version 1 headers keep the masks just behind them, later versions in the same place
      // inside the header.
      const std::size_t masks = 54;
      layout.red = MaskChannel(in.U32(masks));
      layout.green = MaskChannel(in.U32(masks + 4));
      layout.blue = MaskChannel(in.U32(masks + 8));
      if (layout.compression == BiAlphaBitfields || headerSize >= 56) layout.alpha = MaskChannel(in.U32(masks + 12));
      if (headerSize == 40) paletteAt += layout.compression == BiAlphaBitfields ? 16 : 12;
    }
  } else {
    return ImageFailure("BMP", "対応していない情報ヘッダです");
  }
  const bool rle = layout.compression == BiRle8 || layout.compression == BiRle4;
  const bool bitfields = layout.compression == BiBitfields || layout.compression == BiAlphaBitfields;
  if (layout.compression != BiRgb && !rle && !bitfields) return ImageFailure("BMP", "対応していない圧縮形式です");
  if ((layout.compression == BiRle8 && layout.bits != 8) || (layout.compression == BiRle4 && layout.bits != 4) ||
      (bitfields && layout.bits != 16 && layout.bits != 32) || (rle && layout.topDown)) {
    return ImageFailure("BMP", "圧縮形式と色数が合いません");
  }
  switch (layout.bits) {
    case 1:
    case 4:
    case 8: {
      // Without a count, the palette fills the space before the pixels.
      const std::uint32_t most = 1u << layout.bits;
      const std::size_t room = in.U32(10) > paletteAt ? (in.U32(10) - paletteAt) / paletteEntryBytes : 0;
      std::uint32_t count =
          colorsUsed != 0 ? colorsUsed : static_cast<std::uint32_t>(std::min<std::size_t>(room, most));
      count = std::min(count, most);
      if (count == 0 || !in.Has(paletteAt, count * paletteEntryBytes))
        return ImageFailure("BMP", "パレットが壊れています");
      for (std::uint32_t i = 0; i < 256; ++i) {
        const std::size_t at = paletteAt + i * paletteEntryBytes;
        layout.palette[i] = i < count ? Argb(255, in.U8(at + 2), in.U8(at + 1), in.U8(at)) : 0xFF000000u;
      }
      break;
    }
    case 16:
      if (!bitfields)
        layout.red = MaskChannel(0x7C00), layout.green = MaskChannel(0x3E0), layout.blue = MaskChannel(0x1F);
      break;
    case 24:
      break;
    case 32:
      if (!bitfields)
        layout.red = MaskChannel(0xFF0000), layout.green = MaskChannel(0xFF00), layout.blue = MaskChannel(0xFF);
      break;
    default:
      return ImageFailure("BMP", "対応していない色数です");
  }
  layout.pixelOffset = in.U32(10);
  if (layout.pixelOffset >= size) return ImageFailure("BMP", "画素データがありません");
  if (layout.width > MaxImageSide || layout.height > MaxImageSide) {
    return AllocImagePixels(image, layout.width, layout.height, "BMP");  // refuses with the limits in the log
  }
  // The least data that can hold the declared pixels, checked before the pixels are allocated:
  // a run of 255 pixels takes two bytes.
  const std::size_t pixelCount = static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height);
  const std::size_t least =
      rle ? pixelCount / 255 * 2 : (static_cast<std::size_t>(layout.width) * layout.bits + 31) / 32 * 4 * layout.height;
  if (!in.Has(layout.pixelOffset, least)) return ImageFailure("BMP", "画素データが大きさに足りません");
  if (AllocImagePixels(image, layout.width, layout.height, "BMP") != 0) return -1;
  image->hasAlpha = layout.alpha.bits != 0 ? 1 : 0;
  const BmpTarget target{image, layout.topDown};
  if (rle)
    std::fill(image->pixels, image->pixels + static_cast<std::size_t>(image->width) * image->height, layout.palette[0]);
  if ((rle ? DecodeRle(in, layout, target) : DecodeRows(in, layout, target)) != 0) {
    ReleaseImageRecord(image);
    return ImageFailure("BMP", "画素データが途中で終わっています");
  }
  return 0;
}
