// The sound handle table: decoded sounds and the settings their new voices start with.
#pragma once

#include "sound_samples.h"

constexpr int SoundSlots = 4096;

struct SoundRecord {
  int checkNumber;  // -1 while the slot is free
  SoundSamples data;
  int volume;               // 0-1000
  int pan;                  // -1000 (left) to 1000 (right)
  int frequency;            // Hz the samples play at; 0 for the sound's own rate
  std::uint32_t loopStart;  // the frame a looped play returns to
};

// The slot of a valid sound handle, or null.
SoundRecord* FindSound(int handle);
// A new handle owning data (taken over on success), or -1 when the table is full (the data
// is then left to the caller).
int AddSound(const SoundSamples& data);
// Frees the slot's samples; the caller has stopped its voices.
void FreeSoundSlot(SoundRecord& record);
SoundRecord& SoundSlot(int index);
int SoundSlotIndex(const SoundRecord& record);
