#include "ima_adpcm.h"

#include <algorithm>

namespace {

constexpr std::int16_t StepTable[89] = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int IndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct Channel {
  int predictor;
  int index;

  std::int16_t Next(unsigned nibble) {
    const int step = StepTable[index];
    int difference = step >> 3;
    if (nibble & 1) difference += step >> 2;
    if (nibble & 2) difference += step >> 1;
    if (nibble & 4) difference += step;
    if (nibble & 8) difference = -difference;
    predictor = std::clamp(predictor + difference, -32768, 32767);
    index = std::clamp(index + IndexTable[nibble], 0, 88);
    return static_cast<std::int16_t>(predictor);
  }
};

}  // namespace

std::uint32_t ImaBlockFrames(std::size_t bytes, unsigned channels) {
  const std::size_t header = 4 * static_cast<std::size_t>(channels);
  if (channels == 0 || bytes < header) return 0;
  const std::size_t groups = (bytes - header) / header;               // 4 bytes of each channel: 8 frames
  const std::size_t tail = channels == 1 ? (bytes - header) % 4 : 0;  // mono may end mid-group
  return static_cast<std::uint32_t>(1 + groups * 8 + tail * 2);
}

bool DecodeImaBlock(const std::uint8_t* block, std::size_t bytes, unsigned channels, std::uint32_t frames,
                    std::int16_t* out) {
  if (frames == 0) return true;
  if (frames > ImaBlockFrames(bytes, channels)) return false;
  Channel state[2]{};
  for (unsigned c = 0; c < channels; ++c) {
    const std::uint8_t* h = block + 4 * c;
    state[c].predictor = static_cast<std::int16_t>(static_cast<std::uint16_t>(h[0] | (h[1] << 8)));
    state[c].index = h[2];
    if (state[c].index > 88) return false;
    out[c] = static_cast<std::int16_t>(state[c].predictor);
  }
  const std::uint8_t* data = block + 4 * channels;
  for (std::uint32_t j = 0; j + 1 < frames; ++j) {
    for (unsigned c = 0; c < channels; ++c) {
      const std::uint8_t byte = data[(j / 8) * 4 * channels + c * 4 + (j % 8) / 2];
      const unsigned nibble = (j % 2) ? byte >> 4 : byte & 0x0F;
      out[(j + 1) * channels + c] = state[c].Next(nibble);
    }
  }
  return true;
}
