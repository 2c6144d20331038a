// The TextureCache: a font's glyph cells in a graphic of the hardware back-end, built white in
// a 16-bit staging image and drawn as textured rectangles tinted with the text colour.
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../color/color_data.h"
#include "../graphics/draw_state.h"
#include "../graphics/graphic_handle.h"
#include "font_system.h"
#include "glyph_cache.h"
#include "texture_glyph_cache.h"

namespace {

D3DFORMAT StagingFormat(const FontRecord* font) {
  return IsAntiAliased(font->fontType) ? D3DFMT_A4R4G4B4 : D3DFMT_A1R5G5B5;
}

int TextureWidth(const FontRecord* font) { return EdgeOf(font) > 0 ? font->cacheAreaWidth * 2 : font->cacheAreaWidth; }

}  // namespace

int EnsureCacheTexture(int handle) {
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return -1;
  if (font->textureRebuildFlag != 1) return 0;
  font->textureRebuildFlag = 0;
  // A rebuild after the texture was lost: what is left of the old one goes first.
  if (IsGraphicHandleValid(font->edgeView)) ReleaseGraphic(font->edgeView);
  if (IsGraphicHandleValid(font->cacheTexture)) {
    GraphicFromHandle(font->cacheTexture)->lostFlag = nullptr;
    ReleaseGraphic(font->cacheTexture);
  }
  font->edgeView = -1;

  // Every setting is the cache's own, whatever the program set for its graphics.
  const GraphicCreateSettings saved = GraphicCreate;
  GraphicCreate = GraphicCreateSettings{};
  GraphicCreate.alphaChannel = IsAntiAliased(font->fontType) ? 1 : 0;
  GraphicCreate.alphaTest = IsAntiAliased(font->fontType) ? 0 : 1;
  GraphicCreate.bitDepth = 16;
  font->cacheTexture = CreateEmptyGraphic(TextureWidth(font), font->cacheAreaHeight);
  if (font->cacheTexture != -1 && EdgeOf(font) > 0) {
    font->edgeView =
        CreateDerivedGraphic(font->cacheAreaWidth, 0, font->cacheAreaWidth, font->cacheAreaHeight, font->cacheTexture);
  }
  GraphicCreate = saved;
  if (font->cacheTexture == -1) return -1;
  GraphicFromHandle(font->cacheTexture)->lostFlag = &font->textureRebuildFlag;
  FillGraphic(font->cacheTexture, 0x00FFFFFFu);
  ResetGlyphCache(handle);
  return 0;
}

int SetUpTextureCache(FontRecord* font, int handle) {
  const int cell = font->cellSize;
  int width = 512, height = 512;
  int capacity = (width / cell) * (height / cell);
  while (capacity < 10) {
    if (width <= height) {
      width *= 2;
    } else {
      height *= 2;
    }
    capacity = (width / cell) * (height / cell);
  }
  if (capacity > MaxGlyphSlots) capacity = MaxGlyphSlots;
  font->slotCount = capacity;
  font->cacheAreaWidth = width;
  font->cacheAreaHeight = height;
  font->cellsPerColumn = height / cell;
  font->textureRebuildFlag = 1;
  if (EnsureCacheTexture(handle) != 0) {
    LogText("テクスチャ文字キャッシュの作成に失敗しました\n");
    font->textureCache = 0;
    return 1;
  }
  const int edge = EdgeOf(font);
  StagingImage& staging = font->staging;
  staging.colorData = *ColorDataForSurfaceFormat(static_cast<std::uint32_t>(StagingFormat(font)));
  staging.width = edge > 0 ? cell * 2 : cell;
  staging.height = edge > 0 ? cell + 2 * edge : cell;
  staging.pitch = staging.width * 2;
  staging.pixels = static_cast<std::uint8_t*>(
      TrackedCalloc(static_cast<std::size_t>(staging.pitch) * static_cast<std::size_t>(staging.height), "", 0));
  if (staging.pixels == nullptr) {
    LogText("文字キャッシュ処理用メモリの確保に失敗しました\n");
    return -1;
  }
  return 0;
}

void ReleaseTextureCache(FontRecord* font) {
  if (IsGraphicHandleValid(font->edgeView)) ReleaseGraphic(font->edgeView);
  if (IsGraphicHandleValid(font->cacheTexture)) {
    GraphicFromHandle(font->cacheTexture)->lostFlag = nullptr;
    ReleaseGraphic(font->cacheTexture);
  }
  font->edgeView = -1;
  font->cacheTexture = -1;
}

namespace {

struct Staging {
  StagingImage& image;
  std::uint16_t white, alphaMask;
  int alphaTop;  // alpha position + alpha width
  std::uint16_t& At(int x, int y) const {
    return reinterpret_cast<std::uint16_t*>(image.pixels + static_cast<std::size_t>(y) * image.pitch)[x];
  }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < image.width && y < image.height; }
  // A grey level 0..16 as white with the level in the 4-bit alpha.
  std::uint16_t Level(int v) const {
    if (v <= 0) return white;
    return static_cast<std::uint16_t>(((v << (alphaTop - 4)) - 1) | white);
  }
};

}  // namespace

void WriteGlyphToTexture(FontRecord* font, int slot, const GdiGlyphImage& image) {
  StagingImage& staging = font->staging;
  if (staging.pixels == nullptr) return;
  std::memset(staging.pixels, 0, static_cast<std::size_t>(staging.pitch) * static_cast<std::size_t>(staging.height));
  const ColorData& c = staging.colorData;
  Staging s{staging, static_cast<std::uint16_t>(c.redMask | c.greenMask | c.blueMask),
            static_cast<std::uint16_t>(c.alphaMask), c.alphaShift + c.alphaBits};
  const int edge = EdgeOf(font), cell = font->cellSize;
  const bool grey = IsAntiAliased(font->fontType);
  auto level = [&](int x, int y) { return GlyphImageLevel(image, x, y, grey); };

  switch (font->fontType) {
    case FontTypeNormal:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) s.At(x, y) = level(x, y) ? (s.white | s.alphaMask) : s.white;
      }
      break;
    case FontTypeAntiAlias:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) s.At(x, y) = s.Level(level(x, y));
      }
      break;
    case FontTypeEdge:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          if (level(x, y)) s.At(x + edge, y + edge) = s.white | s.alphaMask;
        }
      }
      ForEachGlyphOutlinePixel(image, edge, false, [&](int x, int y, int) {
        if (!s.Inside(x + cell, y)) return;
        std::uint16_t& p = s.At(x + cell, y);
        if ((p & s.alphaMask) == 0) p = s.white | s.alphaMask;
      });
      break;
    case FontTypeAntiAliasEdge: {
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) s.At(x + edge, y + edge) = static_cast<std::uint16_t>(level(x, y));
      }
      ForEachGlyphOutlineMark(image, edge, true, [&](int x, int y, int v) {
        if (!s.Inside(x + cell, y)) return;
        std::uint16_t& e = s.At(x + cell, y);
        e = static_cast<std::uint16_t>((256 - (16 - e) * (16 - v)) >> 4);
      });
      const int w = image.width + 2 * edge, h = image.height + 2 * edge;
      for (int y = 0; y < h && y < staging.height; ++y) {
        for (int x = 0; x < w; ++x) {
          s.At(x, y) = s.Level(s.At(x, y));
          if (s.Inside(x + cell, y)) s.At(x + cell, y) = s.Level(s.At(x + cell, y));
        }
      }
      break;
    }
    default:
      break;
  }

  const int cellX = CellX(font, slot), cellY = CellY(font, slot);
  const D3DFORMAT format = StagingFormat(font);
  if (edge == 0) {
    TransferToGraphic(font->cacheTexture, staging.pixels, staging.pitch, format, cell, cell, cellX, cellY);
    return;
  }
  const int w = image.width + 2 * edge, h = image.height + 2 * edge;
  TransferToGraphic(font->cacheTexture, staging.pixels, staging.pitch, format, w, h, cellX, cellY);
  TransferToGraphic(font->cacheTexture, staging.pixels + static_cast<std::size_t>(cell) * 2, staging.pitch, format, w,
                    h, cellX + font->cacheAreaWidth, cellY);
}

void DrawTextureGlyph(const FontRecord* font, const GlyphEntry* glyph, int x, int y, const std::uint8_t textTint[3],
                      const std::uint8_t edgeTint[3]) {
  const std::uint8_t saved[3] = {DrawState.tint[0], DrawState.tint[1], DrawState.tint[2]};
  const int cellX = CellX(font, glyph->slot), cellY = CellY(font, glyph->slot);
  if (EdgeOf(font) > 0) {
    SetTint(edgeTint[0], edgeTint[1], edgeTint[2]);
    DrawGraphRect(x, y, cellX, cellY, glyph->width, glyph->height, font->edgeView, 1, 0);
  }
  SetTint(textTint[0], textTint[1], textTint[2]);
  DrawGraphRect(x, y, cellX, cellY, glyph->width, glyph->height, font->cacheTexture, 1, 0);
  SetTint(saved[0], saved[1], saved[2]);
}
