// The source kinds of the blits and the signatures of the loops the loop table names.
#pragma once

#include <cstdint>

#include "blend_op.h"

// How a source pixel is read and whether it can be skipped.
enum class SourceKind : int {
  Direct,        // the pixel as stored, nothing skipped; the colour of one-colour operations
  DirectWide,    // Color16 stored in 32 bits (alpha image drawn as opaque)
  Keyed,         // skipped when the whole value equals transColor
  Palette,       // an index into the palette
  PaletteKeyed,  // an index, skipped when it equals transColor
  Alpha,         // alpha weight unless 255, nothing skipped
  AlphaKeyed,    // skipped at alpha 0, alpha weight unless 255
  Count
};

struct BlitContext {
  std::uint32_t transColor;
  std::uint32_t param;  // p, 0-255
  const std::uint32_t* palette;
  const std::uint8_t* graphTable;
  std::uint32_t bright[3];  // blue, green, red factors (channel order)
};

using BlitSpanFn = void (*)(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* graph, int count,
                            const BlitContext& ctx);

// A run of pixels in one row, all blended with one colour.
struct SolidRun {
  std::uint8_t* row;  // the first pixel
  int count;          // at least 1
};
// Blends the colour into every run (no run overlapping another) under one operation and p.
using SolidRunsFn = void (*)(const SolidRun* runs, int n, std::uint32_t color, std::uint32_t p);
