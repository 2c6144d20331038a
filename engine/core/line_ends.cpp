#include "line_ends.h"

#include <cstring>

namespace {

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

}  // namespace

std::size_t ConvertLineEnds(const char* text, std::size_t length, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < length) {
    const unsigned char byte = in[i];
    // A lead byte without a trail byte after it (a character cut off, or a lead byte right
    // before a line end) is a single byte: the line feed after it is still a line end.
    if (IsLeadByte(byte) && i + 1 < length && IsTrailByte(in[i + 1])) {
      out[written++] = static_cast<char>(byte);
      out[written++] = static_cast<char>(in[i + 1]);
      i += 2;
      continue;
    }
    if (byte == '\n') {
      if (i > 0 && in[i - 1] == '\r') {
        // The text already has Windows line ends from here on.
        std::memcpy(out + written, in + i, length - i);
        written += length - i;
        break;
      }
      out[written++] = '\r';
    }
    out[written++] = static_cast<char>(byte);
    ++i;
  }
  out[written] = '\0';
  return written;
}
