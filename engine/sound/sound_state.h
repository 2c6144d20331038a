// SoundState: the sound subsystem's record.
#pragma once

#include "platform/dsound.h"

struct SoundStateRecord {
  IDirectSound* DirectSoundObject;  // null while sound is not started
  IDirectSoundBuffer* PrimaryBuffer;
  IDirectSoundBuffer* SilentBuffer;  // loops from start-up to shut-down
  int MusicMode;                     // 0: music through MCI beside DirectSound
};

extern SoundStateRecord SoundState;

// Logs the output devices and the device's capabilities (a step of StartSound).
void WriteSoundDeviceReport();
