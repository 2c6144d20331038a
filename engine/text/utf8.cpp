#include "utf8.h"

std::uint32_t DecodeUtf8(const std::uint8_t* bytes, int at, int length, int* used) {
  *used = 1;
  const std::uint8_t first = bytes[at];
  if (first < 0x80) return first;
  int extra = 0;
  std::uint32_t code = 0, least = 0;
  if ((first & 0xE0) == 0xC0) {
    extra = 1, code = first & 0x1F, least = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    extra = 2, code = first & 0x0F, least = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    extra = 3, code = first & 0x07, least = 0x10000;
  } else {
    return ReplacementCharacter;
  }
  if (length - at <= extra) return ReplacementCharacter;
  for (int i = 1; i <= extra; ++i) {
    const std::uint8_t next = bytes[at + i];
    if ((next & 0xC0) != 0x80) return ReplacementCharacter;
    code = code << 6 | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return ReplacementCharacter;
  *used = 1 + extra;
  return code;
}
