#include "mem_img_derived.h"

#include <cstddef>
#include <cstring>

namespace {

enum PixelClass : std::uint8_t { Transparent = RunTransparent, Opaque = RunOpaque, Translucent = RunTranslucent };

std::uint32_t Load(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  std::memcpy(&v, p, static_cast<std::size_t>(bytes));  // little-endian pixels
  return v;
}

PixelClass Classify(const MemImgShared* s, const std::uint8_t* p, int bytes) {
  if (s->paletted) return *p == (s->transColor & 0xFF) ? Transparent : Opaque;
  if (s->hasAlpha) {
    const std::uint8_t alpha = s->colorType == Color32 ? p[3] : p[2];
    return alpha == 0 ? Transparent : alpha == 255 ? Opaque : Translucent;
  }
  const std::uint32_t mask = bytes == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  return Load(p, bytes) == (s->transColor & mask) ? Transparent : Opaque;
}

}  // namespace

void BuildRunCodes(MemImgShared* s) {
  if (s->runCodes == nullptr || (s->colorType != Color16 && s->colorType != Color32)) return;
  const int bytes = BytesPerPixel(s);
  std::uint8_t* out = s->runCodes;
  for (int y = 0; y < s->height; ++y) {
    const std::uint8_t* row = s->pixelBuffer + static_cast<std::ptrdiff_t>(y) * s->pitch;
    int x = 0;
    while (x < s->width) {
      const PixelClass kind = Classify(s, row + static_cast<std::ptrdiff_t>(x) * bytes, bytes);
      int n = 1;
      while (n < 64 && x + n < s->width &&
             Classify(s, row + static_cast<std::ptrdiff_t>(x + n) * bytes, bytes) == kind) {
        ++n;
      }
      *out++ = static_cast<std::uint8_t>(kind + (n - 1));
      x += n;
    }
    *out++ = RunEnd;
  }
}

void BuildPremultipliedCopy(MemImgShared* s) {
  if (s->premultipliedBuffer == nullptr || !s->hasAlpha || s->paletted) return;
  for (int y = 0; y < s->height; ++y) {
    const std::uint8_t* from = s->pixelBuffer + static_cast<std::ptrdiff_t>(y) * s->pitch;
    std::uint8_t* to = s->premultipliedBuffer + static_cast<std::ptrdiff_t>(y) * s->pitch;
    for (int x = 0; x < s->width; ++x, from += 4, to += 4) {
      std::uint32_t out;
      if (s->colorType == Color32) {
        const std::uint32_t a = from[3];
        out = (from[0] * a >> 8) | (from[1] * a >> 8) << 8 | (from[2] * a >> 8) << 16 | a << 24;
      } else {
        const std::uint32_t a = from[2];
        const std::uint32_t p = static_cast<std::uint32_t>(from[0] | from[1] << 8);
        out = (((p & 0x1F) * a & 0x1F00) | ((p & 0xF800) * a & 0xF80000) | ((p & 0x7E0) * a & 0x7E000)) >> 8;
        out |= a << 16;
      }
      std::memcpy(to, &out, 4);
    }
  }
}
