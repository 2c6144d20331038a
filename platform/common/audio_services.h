// What each platform implementation supplies to the DirectSound stand-in: the default output
// device, opened at a PCM format and fed from a mixer, and the list of output devices.
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

// Opens the default output and keeps it fed from the mixer: at the device's own format when
// format is null, else at that format in place of the one open. False when there is no device
// worth the name, when one is open already (format null) or the format is refused; what was
// open before then stays open.
bool PlatformAudioOpen(const AudioFormat* format, AudioMixer mixer, void* context, AudioCaps* caps);
// No mixer call runs after this returns.
void PlatformAudioClose();

// Output devices, in the system code page.
struct AudioDeviceName {
  std::string description;
  std::string module;
};
std::vector<AudioDeviceName> PlatformAudioDevices();
