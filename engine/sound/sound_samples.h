// Decoded sound: 16-bit frames of one or two channels at the sound's own rate.
#pragma once

#include <cstddef>
#include <cstdint>

struct SoundSamples {
  std::int16_t* samples;  // interleaved frames in a tracked block; null when there are none
  std::uint32_t frames;
  std::uint32_t rate;      // Hz
  std::uint16_t channels;  // 1 or 2
};

// What a file may ask for. Sizes come from untrusted files, so each is checked against these
// before anything is allocated.
constexpr std::uint32_t MinSoundRate = 1000;
constexpr std::uint32_t MaxSoundRate = 384000;
// A decoded sound of at most 256 MiB: a stereo sound of 50 minutes at 44100 Hz.
constexpr std::uint64_t MaxSoundBytes = std::uint64_t{256} << 20;
constexpr std::uint64_t MaxSoundFrames(unsigned channels) { return MaxSoundBytes / (2 * channels); }

// Frees the samples and clears the record.
void FreeSoundSamples(SoundSamples& sound);
// A tracked block for frames × channels samples, or null when that is over the limit or
// memory ran out.
std::int16_t* AllocateSoundSamples(std::uint64_t frames, unsigned channels);
