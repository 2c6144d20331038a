// SoundState: the sound subsystem's record.
#pragma once

#include "platform/dsound.h"

struct SoundStateRecord {
  IDirectSound* DirectSoundObject;  // null while sound is not started
  IDirectSoundBuffer* PrimaryBuffer;
  IDirectSoundBuffer* SilentBuffer;  // loops from start-up to shut-down
  int MusicMode;                     // 0: music through MCI beside DirectSound
  int CallsOpen;                     // 1 from StartSound to EndSound, device or not
  int MixerAttached;                 // 1 while the device pulls from the mixer
  int PlayWhileInactive;             // 1: sounds go on while the application is inactive
};

extern SoundStateRecord SoundState;

// Logs the output devices and the device's capabilities (a step of StartSound).
void WriteSoundDeviceReport();
