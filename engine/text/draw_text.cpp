// The string-drawing operations: DrawText and DrawTextFormat with the default font, and
// DrawTextWithFont for any font, direct or through a work image.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <limits>

#include "../core/last_error.h"
#include "../core/log.h"
#include "../graphics/blend_modes.h"
#include "../graphics/draw_state.h"
#include "../graphics/graphics_state.h"
#include "../graphics/subtract_emulation.h"
#include "../window/window.h"
#include "font_record.h"
#include "font_system.h"
#include "glyph_blit.h"
#include "text_blit.h"
#include "texture_glyph_cache.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

void DrawThroughWorkImage(int x, int y, const char* text, std::uint32_t color, int handle, std::uint32_t edgeColor,
                          const FontRecord* font, const TextSize& size) {
  const bool antiAliased = IsAntiAliased(font->fontType);
  MEMIMG* work = &GraphicsState.workImages[antiAliased ? 1 : 0];
  if (!IsMemImgValid(work)) return;

  const Rect savedArea = DrawState.drawArea;
  std::uint8_t savedTint[3] = {DrawState.tint[0], DrawState.tint[1], DrawState.tint[2]};

  Rect area{0, 0, size.width, size.height};
  const Rect screen{0, 0, GraphicsState.screenWidth, GraphicsState.screenHeight};
  ClipRect(&area, &screen);
  DrawState.drawArea = area;

  std::uint32_t transparent = 0;
  if (!antiAliased) {
    // The pixels written are the tinted colours with the filler bits clear, so those must not
    // be the transparent value either, or black text would vanish.
    const TextColors written = ResolveTextColors(color, edgeColor);
    transparent = work->shared->transColor;
    while (transparent == color || transparent == edgeColor || transparent == written.text ||
           transparent == written.edge) {
      ++transparent;
    }
  }
  work->shared->transColor = transparent;
  FillMemImg(work, &area, transparent);
  DrawTextCore({.pass = TextPass::Draw,
                .font = handle,
                .text = text,
                .color = color,
                .edgeColor = edgeColor,
                .destination = work,
                .clip = &area},
               nullptr);

  DrawState.tint[0] = DrawState.tint[1] = DrawState.tint[2] = 255;
  // The far corner saturates at int's end: only what the draw area keeps is drawn anyway.
  const auto far = [](int from, int length) {
    const long long end = static_cast<long long>(from) + length;
    return static_cast<int>(end > INT_MAX ? INT_MAX : end);
  };
  Rect target{x, y, far(x, area.right), far(y, area.bottom)};
  ClipRect(&target, &savedArea);
  DrawState.drawArea = target;
  BlitTextWorkImage(work, x, y);

  DrawState.drawArea = savedArea;
  for (int c = 0; c < 3; ++c) DrawState.tint[c] = savedTint[c];
}

void DrawWithMemoryCache(int x, int y, const char* text, std::uint32_t color, int handle, std::uint32_t edgeColor,
                         const FontRecord* font) {
  if (DrawState.softTarget == nullptr) return;
  TextSize size{};
  if (DrawTextCore({.pass = TextPass::Measure, .font = handle, .text = text}, &size) < 0) return;
  const bool direct =
      !IsAntiAliased(font->fontType) &&
      (DrawState.blendMode == BlendModeNone || (DrawState.blendMode == BlendModeAlpha && DrawState.blendParam == 255));
  if (direct) {
    DrawTextCore({.pass = TextPass::Draw,
                  .font = handle,
                  .text = text,
                  .x = x,
                  .y = y,
                  .color = color,
                  .edgeColor = edgeColor,
                  .destination = DrawState.softTarget,
                  .clip = &DrawState.drawArea},
                 nullptr);
  } else {
    DrawThroughWorkImage(x, y, text, color, handle, edgeColor, font, size);
  }
}

}  // namespace

int DrawTextWithFont(int x, int y, const char* text, std::uint32_t color, int handle, std::uint32_t edgeColor) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (text == nullptr || text[0] == '\0' || DrawState.drawAreaEmpty) return 0;
  const FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) {
    LogText("フォントハンドル値が異常です\n");
    return FailWithText("DrawText: %d is not the handle of a live font (the default font cannot be made?)", handle);
  }
  WaitWhileInactive();
  const bool subtractTexture = DrawState.blendMode == BlendModeSubtract && font->textureCache;
  if ((DrawState.drawScreen == ScreenFront || subtractTexture) && x >= DrawState.drawArea.right) return 0;
  if (font->textureCache) {
    // The bottom held at int's end for text placed at its edge.
    const std::int64_t bottom = std::int64_t{y} + font->size + 3;
    const Rect box{x, y, DrawState.drawArea.right,
                   static_cast<int>(std::clamp<std::int64_t>(bottom, std::numeric_limits<int>::min(),
                                                             std::numeric_limits<int>::max()))};
    DrawSubtracting(box.left, box.top, box.right, box.bottom, [&] {
      if (EnsureCacheTexture(handle) == 0) {
        DrawTextCore({.pass = TextPass::Draw,
                      .font = handle,
                      .text = text,
                      .x = x,
                      .y = y,
                      .color = static_cast<std::uint32_t>(color),
                      .edgeColor = static_cast<std::uint32_t>(edgeColor)},
                     nullptr);
      }
      return 0;
    });
    return 0;
  }
  if (DrawState.softTarget == nullptr) {
    // A font whose cache texture could not be made keeps its glyphs in memory, which only the
    // software renderer draws from.
    LogText("テクスチャキャッシュを持たないフォントはハードウエア描画では描画できません\n");
    return FailWithText("DrawText: font %d has no glyph texture, which drawing on the hardware back-end needs", handle);
  }
  DrawWithMemoryCache(x, y, text, static_cast<std::uint32_t>(color), handle, static_cast<std::uint32_t>(edgeColor),
                      font);
  return 0;
}

int DrawText(int x, int y, const char* text, std::uint32_t color, std::uint32_t edgeColor) {
  if (CalledOffEngineThread(__func__)) return -1;
  RefreshDefaultFont();
  return DrawTextWithFont(x, y, text, color, QueryDefaultFont(), edgeColor);
}

int DrawTextFormat(int x, int y, std::uint32_t color, const char* format, ...) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (format == nullptr) return DrawText(x, y, nullptr, color, 0);
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  // Results of 1024 bytes or more are cut to the buffer's 1023.
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return DrawText(x, y, buffer, color, 0);
}
