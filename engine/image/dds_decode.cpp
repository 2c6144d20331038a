// DDS by hand: the top mip level of DXT1, DXT3 and DXT5 (and their premultiplied twins DXT2 and
// DXT4, read as they are) and of uncompressed RGB, luminance and alpha surfaces with masks.
#include "byte_reader.h"
#include "image_decode.h"

namespace {

constexpr std::uint32_t PfAlphaPixels = 0x1, PfAlpha = 0x2, PfFourCc = 0x4, PfRgb = 0x40, PfLuminance = 0x20000;
constexpr std::size_t DataOffset = 128;

constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b) << 8 | static_cast<std::uint32_t>(c) << 16 |
         static_cast<std::uint32_t>(d) << 24;
}

std::uint32_t Expand565(std::uint32_t c) {
  const std::uint32_t r = (c >> 11) & 0x1F, g = (c >> 5) & 0x3F, b = c & 0x1F;
  return Argb(255, (r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t wa, std::uint32_t wb, std::uint32_t total) {
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((a >> shift & 0xFF) * wa + (b >> shift & 0xFF) * wb) / total) << shift;
  }
  return out;
}

// The 16 colours of a colour block; threeColour allows the transparent fourth entry (DXT1).
void ColourBlock(const std::uint8_t* block, bool threeColourAllowed, std::uint32_t out[16]) {
  const std::uint32_t c0 = block[0] | block[1] << 8, c1 = block[2] | block[3] << 8;
  std::uint32_t palette[4] = {Expand565(c0), Expand565(c1), 0, 0};
  if (c0 > c1 || !threeColourAllowed) {
    palette[2] = Mix(palette[0], palette[1], 2, 1, 3);
    palette[3] = Mix(palette[0], palette[1], 1, 2, 3);
  } else {
    palette[2] = Mix(palette[0], palette[1], 1, 1, 2);
    palette[3] = 0;  // transparent black
  }
  for (int i = 0; i < 16; ++i) out[i] = palette[(block[4 + i / 4] >> (2 * (i % 4))) & 3];
}

void AlphaBlock5(const std::uint8_t* block, std::uint32_t alpha[16]) {
  const std::uint32_t a0 = block[0], a1 = block[1];
  std::uint32_t table[8] = {a0, a1};
  if (a0 > a1) {
    for (std::uint32_t i = 1; i < 7; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
  } else {
    for (std::uint32_t i = 1; i < 5; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
    table[6] = 0;
    table[7] = 255;
  }
  std::uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) alpha[i] = table[(bits >> (3 * i)) & 7];
}

}  // namespace

int DecodeDds(const std::uint8_t* data, std::size_t size, ImageRecord* image) {
  *image = ImageRecord{};
  const ByteReader in{data, size};
  if (!in.Has(0, DataOffset) || in.U32(0) != FourCc('D', 'D', 'S', ' ') || in.U32(4) != 124 || in.U32(76) != 32) {
    return ImageFailure("DDS", "ヘッダが壊れています");
  }
  const std::uint32_t height = in.U32(12), width = in.U32(16);
  const std::uint32_t flags = in.U32(80), fourCc = in.U32(84), bitCount = in.U32(88);
  if (width == 0 || height == 0 || width > static_cast<std::uint32_t>(MaxImageSide) ||
      height > static_cast<std::uint32_t>(MaxImageSide)) {
    return AllocImagePixels(image, static_cast<int>(width > 0x7FFFFFFF ? 0x7FFFFFFF : width),
                            static_cast<int>(height > 0x7FFFFFFF ? 0x7FFFFFFF : height), "DDS");
  }
  const std::size_t w = width, h = height;
  int kind = 0;  // 1, 3, 5: DXT; 0 uncompressed
  std::size_t need;
  if (flags & PfFourCc) {
    if (fourCc == FourCc('D', 'X', 'T', '1')) kind = 1;
    if (fourCc == FourCc('D', 'X', 'T', '2') || fourCc == FourCc('D', 'X', 'T', '3')) kind = 3;
    if (fourCc == FourCc('D', 'X', 'T', '4') || fourCc == FourCc('D', 'X', 'T', '5')) kind = 5;
    if (kind == 0) return ImageFailure("DDS", "対応していない圧縮形式です");
    need = ((w + 3) / 4) * ((h + 3) / 4) * (kind == 1 ? 8 : 16);
  } else if ((flags & (PfRgb | PfLuminance | PfAlpha)) != 0 && bitCount % 8 == 0 && bitCount >= 8 && bitCount <= 32) {
    need = w * h * (bitCount / 8);
  } else {
    return ImageFailure("DDS", "対応していない画素形式です");
  }
  if (!in.Has(DataOffset, need)) return ImageFailure("DDS", "画素データが途中で終わっています");
  if (AllocImagePixels(image, static_cast<int>(width), static_cast<int>(height), "DDS") != 0) return -1;
  const std::uint8_t* p = data + DataOffset;

  if (kind != 0) {
    const std::size_t blocksWide = (w + 3) / 4;
    bool anyAlpha = false;
    for (std::size_t by = 0; by < (h + 3) / 4; ++by) {
      for (std::size_t bx = 0; bx < blocksWide; ++bx) {
        const std::uint8_t* block = p + (by * blocksWide + bx) * (kind == 1 ? 8 : 16);
        std::uint32_t colours[16], alpha[16];
        if (kind == 1) {
          ColourBlock(block, true, colours);
          for (int i = 0; i < 16; ++i) alpha[i] = colours[i] >> 24;
        } else {
          ColourBlock(block + 8, false, colours);
          if (kind == 3) {
            for (int i = 0; i < 16; ++i) alpha[i] = ((block[i / 2] >> (4 * (i % 2))) & 0xF) * 17;
          } else {
            AlphaBlock5(block, alpha);
          }
        }
        for (int i = 0; i < 16; ++i) {
          const std::size_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
          if (x >= w || y >= h) continue;
          anyAlpha |= alpha[i] != 255;
          image->pixels[y * w + x] = (colours[i] & 0xFFFFFFu) | alpha[i] << 24;
        }
      }
    }
    image->hasAlpha = kind != 1 || anyAlpha ? 1 : 0;
    return 0;
  }

  const MaskChannel red(in.U32(92)), green(in.U32(96)), blue(in.U32(100));
  const MaskChannel alpha((flags & (PfAlphaPixels | PfAlpha)) != 0 ? in.U32(104) : 0);
  const bool luminance = (flags & PfLuminance) != 0, alphaOnly = (flags & (PfRgb | PfLuminance)) == 0;
  image->hasAlpha = alpha.bits != 0 ? 1 : 0;
  const std::size_t bytes = bitCount / 8;
  for (std::size_t i = 0; i < w * h; ++i) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < bytes; ++k) v |= static_cast<std::uint32_t>(p[i * bytes + k]) << (8 * k);
    const std::uint32_t a = alpha.bits != 0 ? alpha.Get(v) : 255;
    if (alphaOnly) {
      image->pixels[i] = Argb(a, 255, 255, 255);
    } else if (luminance) {
      const std::uint32_t l = red.Get(v);
      image->pixels[i] = Argb(a, l, l, l);
    } else {
      image->pixels[i] = Argb(a, red.Get(v), green.Get(v), blue.Get(v));
    }
  }
  return 0;
}
