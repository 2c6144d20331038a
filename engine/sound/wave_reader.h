// RIFF WAVE files: PCM of 8, 16, 24 or 32 bits, IEEE float of 32 or 64 bits, IMA ADPCM; one or
// two channels; the extensible format of each.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound_samples.h"

bool LooksLikeWave(const std::uint8_t* bytes, std::size_t size);
// Decodes into *sound (a new block). False with *reason (a fixed text) when the file is damaged,
// truncated, of a kind not read, or too big.
bool ReadWave(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason);
