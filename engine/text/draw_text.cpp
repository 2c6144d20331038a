#include <cstdarg>
#include <cstdio>

#include "vornek.h"

int DrawText(int, int, const char* text, int, int) { return text == nullptr ? -1 : 0; }

int DrawTextFormat(int x, int y, int color, const char* format, ...) {
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  return DrawText(x, y, buffer, color, 0);
}
