// Ogg Vorbis through libvorbisfile: whole sounds from memory, and the memory and file sources
// that music streams from.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound_samples.h"

bool LooksLikeOgg(const std::uint8_t* bytes, std::size_t size);
// Decodes the whole stream into *sound (a new block). False with *reason (a fixed text) when
// it is damaged, truncated, has more than two channels, changes format between its links or is
// too big.
bool ReadVorbis(const std::uint8_t* bytes, std::size_t size, SoundSamples* sound, const char** reason);
