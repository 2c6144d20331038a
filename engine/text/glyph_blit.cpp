// One loop template per font type's cache pixels, instantiated for each destination format.
#include "glyph_blit.h"

#include "../color/color_data.h"
#include "../graphics/draw_state.h"
#include "../graphics/graphics_state.h"
#include "glyph_cache.h"
#include "vornek.h"

namespace {

// Destination formats: the pixel type, and where the alpha byte of anti-aliased text goes.
template <class P, int AlphaShift>
struct Format {
  using Pixel = P;
  static constexpr int alphaShift = AlphaShift;
};
using Screen8 = Format<std::uint8_t, 0>;
using Screen16 = Format<std::uint16_t, 0>;
using Screen16Alpha = Format<std::uint32_t, 16>;  // colour in the low 16 bits, alpha in bits 16-23
using Screen32 = Format<std::uint32_t, 24>;

struct GlyphSpan {
  const std::uint8_t* cacheRow;  // row of the first pixel to draw
  int cachePitch;
  int sourceX;  // pixel column in the cache area
  std::uint8_t* destinationRow;
  int destinationPitch;
  int width, height;
};

std::uint32_t BlendEdge(const TextColors& colors, int body, int edge, int alphaShift) {
  const int alpha = body * 16 + (15 - body) * edge;
  const int k = body * 4096 / alpha;
  std::uint32_t pixel = 0;
  for (int c = 0; c < 3; ++c) {
    const int t = colors.textChannel[c], e = colors.edgeChannel[c];
    // Arithmetic shift: the floor of the scaled difference, also when it is negative.
    const int value = e + (((t - e) * k) >> 8);
    pixel |= (static_cast<std::uint32_t>(value) << colors.shift[c]) & colors.mask[c];
  }
  return pixel | static_cast<std::uint32_t>(alpha) << alphaShift;
}

// The destination value of one non-zero cache pixel.
template <int Type, class F>
typename F::Pixel Shade(std::uint8_t value, const TextColors& colors) {
  using Pixel = typename F::Pixel;
  if constexpr (Type == FontTypeNormal) {
    return static_cast<Pixel>(colors.text);
  } else if constexpr (Type == FontTypeEdge) {
    if (value == 1) return static_cast<Pixel>(colors.text);
    return static_cast<Pixel>(sizeof(Pixel) == 4 ? colors.edge & 0x00FFFFFFu : colors.edge);
  } else if constexpr (Type == FontTypeAntiAlias) {
    // Full coverage is opaque, as a full body is with FontTypeAntiAliasEdge and in the texture cache;
    // level × 16 alone would stop at 240 and let the background show through every stroke.
    const std::uint32_t alpha = value == 15 ? 255u : static_cast<std::uint32_t>(value * 16);
    return static_cast<Pixel>(colors.text | alpha << F::alphaShift);
  } else {
    const int body = value & 0x0F, edge = value >> 4;
    if (body == 15) return static_cast<Pixel>(colors.text | 255u << F::alphaShift);
    if (body == 0) return static_cast<Pixel>(colors.edge | static_cast<std::uint32_t>(edge * 16) << F::alphaShift);
    return static_cast<Pixel>(BlendEdge(colors, body, edge, F::alphaShift));
  }
}

template <int Type, class F>
void DrawSpan(const GlyphSpan& span, const TextColors& colors) {
  using Pixel = typename F::Pixel;
  for (int y = 0; y < span.height; ++y) {
    const std::uint8_t* source = span.cacheRow + static_cast<std::size_t>(y) * span.cachePitch;
    auto* destination =
        reinterpret_cast<Pixel*>(span.destinationRow + static_cast<std::size_t>(y) * span.destinationPitch);
    for (int x = 0; x < span.width; ++x) {
      const int column = span.sourceX + x;
      std::uint8_t value;
      if constexpr (Type == FontTypeNormal) {
        value = (source[column >> 3] >> (7 - (column & 7))) & 1;
      } else {
        value = source[column];
      }
      if (value != 0) destination[x] = Shade<Type, F>(value, colors);
    }
  }
}

using SpanLoop = void (*)(const GlyphSpan&, const TextColors&);

// The loop for a font type on the current screen, with the destination's bytes per pixel it
// needs; null where the pair cannot occur.
struct LoopChoice {
  SpanLoop loop;
  int bytesPerPixel;
};

LoopChoice ChooseLoop(int fontType, int screenDepth) {
  if (!IsAntiAliased(fontType)) {
    const bool edge = HasEdge(fontType);
    switch (screenDepth) {
      case 8:
        return {edge ? DrawSpan<FontTypeEdge, Screen8> : DrawSpan<FontTypeNormal, Screen8>, 1};
      case 16:
        return {edge ? DrawSpan<FontTypeEdge, Screen16> : DrawSpan<FontTypeNormal, Screen16>, 2};
      default:
        return {edge ? DrawSpan<FontTypeEdge, Screen32> : DrawSpan<FontTypeNormal, Screen32>, 4};
    }
  }
  const bool edge = HasEdge(fontType);
  switch (screenDepth) {
    case 8:
      return {nullptr, 0};
    case 16:
      return {edge ? DrawSpan<FontTypeAntiAliasEdge, Screen16Alpha> : DrawSpan<FontTypeAntiAlias, Screen16Alpha>, 4};
    default:
      return {edge ? DrawSpan<FontTypeAntiAliasEdge, Screen32> : DrawSpan<FontTypeAntiAlias, Screen32>, 4};
  }
}

}  // namespace

TextColors ResolveTextColors(std::uint32_t color, std::uint32_t edgeColor) {
  TextColors colors{};
  const std::uint32_t filler = MakeColor(0, 0, 0);
  const ColorData* format = CurrentScreenColorData();
  const int shifts[3] = {format->redShift, format->greenShift, format->blueShift};
  const std::uint32_t masks[3] = {format->redMask, format->greenMask, format->blueMask};
  auto resolve = [&](std::uint32_t value, int* channels) {
    int rgb[3];
    SplitColor(value, &rgb[0], &rgb[1], &rgb[2]);
    for (int c = 0; c < 3; ++c) rgb[c] = rgb[c] * DrawState.tint[c] / 255;
    const std::uint32_t packed = MakeColor(rgb[0], rgb[1], rgb[2]) & ~filler;
    for (int c = 0; c < 3; ++c) channels[c] = static_cast<int>((packed & masks[c]) >> shifts[c]);
    return packed;
  };
  colors.text = resolve(color, colors.textChannel);
  colors.edge = resolve(edgeColor, colors.edgeChannel);
  for (int c = 0; c < 3; ++c) {
    colors.shift[c] = shifts[c];
    colors.mask[c] = masks[c];
  }
  return colors;
}

void BlitGlyph(const FontRecord* font, const GlyphEntry* glyph, MEMIMG* destination, const Rect* clip, long long x,
               long long y, const TextColors& colors) {
  if (!IsMemImgValid(destination)) return;
  const LoopChoice choice = ChooseLoop(font->fontType, GraphicsState.screenBitDepth);
  if (choice.loop == nullptr || BytesPerPixel(destination->shared) != choice.bytesPerPixel) return;
  // A glyph wholly outside the image is gone; one that touches it has int coordinates.
  if (x >= destination->width || y >= destination->height || x + glyph->width <= 0 || y + glyph->height <= 0) return;

  Rect area{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + glyph->width),
            static_cast<int>(y + glyph->height)};
  const Rect whole{0, 0, destination->width, destination->height};
  if (clip != nullptr) ClipRect(&area, clip);
  ClipRect(&area, &whole);
  if (area.left >= area.right || area.top >= area.bottom) return;

  const int cellX = CellX(font, glyph->slot) + static_cast<int>(area.left - x);
  const int cellY = CellY(font, glyph->slot) + static_cast<int>(area.top - y);
  const int pitch = destination->shared->pitch;
  GlyphSpan span{font->cachePixels + static_cast<std::size_t>(cellY) * font->cachePitch,
                 font->cachePitch,
                 cellX,
                 destination->pixels + static_cast<std::size_t>(area.top) * pitch +
                     static_cast<std::size_t>(area.left) * choice.bytesPerPixel,
                 pitch,
                 area.right - area.left,
                 area.bottom - area.top};
  choice.loop(span, colors);
}
