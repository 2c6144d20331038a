// Text measurement: the widths DrawText advances by, and a font's line height and spacing.
#include <cstdarg>
#include <cstdio>

#include "../core/last_error.h"
#include "font_record.h"
#include "font_system.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

FontRecord* MeasuredFont(int handle, const char* call) {
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) SetLastErrorText("%s: %d is not the handle of a live font", call, handle);
  return font;
}

int DefaultFontFor(const char* call) {
  RefreshDefaultFont();
  const int handle = QueryDefaultFont();
  if (FontFromHandle(handle) == nullptr) {
    SetLastErrorText("%s: the default font cannot be made (is the engine started?)", call);
    return -1;
  }
  return handle;
}

int Measure(const char* text, int length, int handle, const char* call) {
  if (MeasuredFont(handle, call) == nullptr) return -1;
  if (text == nullptr || length == 0) return 0;
  const int width = DrawTextCore({.pass = TextPass::Measure, .font = handle, .text = text, .length = length}, nullptr);
  if (width < 0) SetLastErrorText("%s: the text's characters could not be made", call);
  return width;
}

}  // namespace

int GetTextWidthWithFont(const char* text, int length, int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  return Measure(text, length, handle, "GetTextWidthWithFont");
}

int GetTextWidth(const char* text, int length) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int handle = DefaultFontFor("GetTextWidth");
  return handle < 0 ? -1 : Measure(text, length, handle, "GetTextWidth");
}

int GetTextWidthFormat(const char* format, ...) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int handle = DefaultFontFor("GetTextWidthFormat");
  if (handle < 0) return -1;
  if (format == nullptr) return 0;
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  // As DrawTextFormat: results of 1024 bytes or more are cut to the buffer's 1023.
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return Measure(buffer, -1, handle, "GetTextWidthFormat");
}

int GetFontHeight(int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  const FontRecord* font = MeasuredFont(handle, "GetFontHeight");
  return font != nullptr ? font->height : -1;
}

int GetFontLineSpacing(int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  const FontRecord* font = MeasuredFont(handle, "GetFontLineSpacing");
  if (font == nullptr) return -1;
  // The face's own leading between lines, read from its metrics; the cells' height without it.
  HDC context = CreateCompatibleDC(nullptr);
  HGDIOBJ old = context != nullptr ? SelectObject(context, font->gdiFont) : nullptr;
  TEXTMETRICA metrics{};
  const bool measured = old != nullptr && GetTextMetricsA(context, &metrics);
  if (old != nullptr) SelectObject(context, old);
  if (context != nullptr) DeleteDC(context);
  return font->height + (measured && metrics.tmExternalLeading > 0 ? static_cast<int>(metrics.tmExternalLeading) : 0);
}
