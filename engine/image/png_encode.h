// PNG writing through libpng, for screenshots and saved graphics.
#pragma once

#include <cstddef>
#include <cstdint>

// Encodes width × height pixels 0xAARRGGBB (rows `pitch` pixels apart) as a PNG, RGBA when
// `alpha` is set, else RGB. The bytes are a tracked block freed with TrackedFree. 0 / -1.
int EncodePng(const std::uint32_t* pixels, int width, int height, int pitch, int alpha, std::uint8_t** data,
              std::size_t* size);
