// The mixer: voices of decoded sounds and the music stream, summed into the output on the
// device's thread. The game's thread changes voices only while it holds the mixer's lock; the
// device's thread holds it for one period's sums and never decodes or allocates under it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32_types.h"
#include "sound_table.h"

constexpr int VoiceSlots = 128;

struct Voice {
  int checkNumber;  // -1 while the slot is free
  int sound;        // slot index of the sound played
  const std::int16_t* samples;
  std::uint32_t frames;
  std::uint32_t loopStart;
  std::uint16_t channels;
  bool loop;
  bool playing;
  std::uint64_t position;   // frames, 32.32 fixed point
  std::uint32_t frequency;  // Hz the samples play at
  float volume;             // 0-1
  float pan;                // -1 to 1
  std::uint32_t order;      // when it started, to find the oldest
};

// The music as the mixer reads it. The game's thread decodes into the ring without the lock;
// the two counters hand frames over in one direction each.
struct MusicFeed {
  const std::int16_t* ring;  // capacity frames of channels samples
  std::uint32_t capacity;
  std::uint16_t channels;
  std::uint32_t rate;
  std::atomic<std::uint64_t> written;   // frames put in since the start, by the decoder
  std::atomic<std::uint64_t> released;  // frames the mixer has done with, by the mixer
  std::atomic<bool> complete;           // the decoder has put in its last frame
  std::atomic<bool> finished;           // the mixer has played the last frame, or faded out
  std::uint64_t position;               // frames since the start, 32.32 fixed point
  float volume;                         // 0-1
  float fade;                           // 0-1, times the volume
  float fadePerSecond;                  // how fast fade moves towards fadeTarget (0: it stays)
  float fadeTarget;
  bool stopWhenSilent;  // the fade is a fade-out
};

// RAII hold of the mixer's lock on the game's thread.
class MixerHold {
 public:
  MixerHold();
  ~MixerHold();
  MixerHold(const MixerHold&) = delete;
  MixerHold& operator=(const MixerHold&) = delete;
};

// The following need a MixerHold.
// A voice of the sound in that slot, playing from its start (audible false: one that ends at
// once, for an engine without output), or -1 when every voice loops or plays a looped sound.
int StartVoice(int soundIndex, const SoundRecord& sound, bool loop, bool audible);
Voice* FindVoice(int handle);
Voice& VoiceSlot(int index);
void StopVoicesOf(int soundIndex);
void StopAllVoices();
void SetMasterGain(float gain);
float MasterGain();
// The music the mixer plays, or null.
void SetMusicFeed(MusicFeed* feed);

// Held: the output plays silence and nothing moves on (the application is inactive).
void SetMixerHeld(bool held);
bool MixerHeld();

// The mix source given to the device: adds frames of stereo at rate into out.
void MixSound(void* context, float* out, DWORD frames, DWORD rate);

// The lock's life: made on first use, removed by EndMixer (nothing may hold it then).
void EndMixer();
