// IMA ADPCM blocks as wave files carry them: per channel a 4-byte header (the first sample and
// the step index), then groups of 4 bytes per channel, 8 samples each, low nibble first.
#pragma once

#include <cstddef>
#include <cstdint>

// The frames a block of these bytes holds (0 when it is shorter than its headers).
std::uint32_t ImaBlockFrames(std::size_t bytes, unsigned channels);
// Decodes one block of bytes into frames interleaved frames; false when a header is damaged
// (a step index beyond the table).
bool DecodeImaBlock(const std::uint8_t* block, std::size_t bytes, unsigned channels, std::uint32_t frames,
                    std::int16_t* out);
