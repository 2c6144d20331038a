// The records of the sound output each platform implementation opens for the DirectSound
// stand-in (the functions are in platform_contract.h): the default device's offer, the PCM
// format it is fed in, the mixer that feeds it, the names of the output devices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"

// What the default output offers: DSCAPS_ flags, the range of secondary rates, hardware memory.
struct AudioCaps {
  DWORD flags;
  DWORD minRate;
  DWORD maxRate;
  DWORD totalMemory;
  DWORD freeMemory;
};

// PCM with interleaved channels: 8-bit unsigned or 16-bit signed little-endian samples.
struct AudioFormat {
  DWORD rate;
  WORD channels;
  WORD bits;
};

// Fills bytes of output in the given format; called on the device's own thread.
using AudioMixer = void (*)(void* context, const AudioFormat& format, std::uint8_t* out, std::size_t bytes);

// Output devices, in the system code page.
struct AudioDeviceName {
  std::string description;
  std::string module;
};
