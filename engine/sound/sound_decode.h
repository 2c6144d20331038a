// Sound files by their first bytes: RIFF WAVE or Ogg Vorbis.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound_samples.h"

// Decodes the bytes into *sound; false with *reason (a fixed text) otherwise.
bool DecodeSound(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason);
