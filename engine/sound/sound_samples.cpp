#include "sound_samples.h"

#include "../core/tracked_memory.h"

void FreeSoundSamples(SoundSamples& sound) {
  TrackedFree(sound.samples);
  sound = SoundSamples{};
}

std::int16_t* AllocateSoundSamples(std::uint64_t frames, unsigned channels) {
  if (channels == 0 || frames > MaxSoundFrames(channels)) return nullptr;
  const std::uint64_t bytes = frames * channels * sizeof(std::int16_t);
  // A sound of no frames still gets a block, so that a loaded sound always has one.
  return static_cast<std::int16_t*>(TrackedAlloc(bytes == 0 ? 16 : static_cast<std::size_t>(bytes), "", 0));
}
