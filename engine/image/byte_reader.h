// Little-endian reads from a byte block that never reach past its end.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteReader {
  const std::uint8_t* data;
  std::size_t size;

  bool Has(std::size_t offset, std::size_t count) const { return offset <= size && count <= size - offset; }
  std::uint32_t U8(std::size_t offset) const { return Has(offset, 1) ? data[offset] : 0; }
  std::uint32_t U16(std::size_t offset) const {
    return Has(offset, 2) ? static_cast<std::uint32_t>(data[offset] | data[offset + 1] << 8) : 0;
  }
  std::uint32_t U32(std::size_t offset) const {
    return Has(offset, 4)
               ? static_cast<std::uint32_t>(data[offset]) | static_cast<std::uint32_t>(data[offset + 1]) << 8 |
                     static_cast<std::uint32_t>(data[offset + 2]) << 16 |
                     static_cast<std::uint32_t>(data[offset + 3]) << 24
               : 0;
  }
};

// A channel described by a bit mask, widened or narrowed to 8 bits.
struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  MaskChannel() = default;
  explicit MaskChannel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1) != 0) ++bits;
  }
  std::uint32_t Get(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
    const std::uint32_t top = (1u << bits) - 1;
    return (v & top) * 255 / top;
  }
};
