// The DirectSound objects both implementations hand out: buffers mixed in software into the
// default output that the platform opens (audio_services.h).
#pragma once

#include "platform/dsound.h"

namespace dsound {

// Faults a test can inject (the real implementation never sets them).
struct SoundFaults {
  bool create = false;  // CoCreateInstance of the DirectSound class
  bool cooperativeLevel = false;
  bool primaryBuffer = false;      // creating the primary buffer
  bool primaryFormat = false;      // SetFormat of the primary buffer
  bool secondaryBuffer = false;    // creating a secondary buffer
  bool lock = false;               // Lock of a secondary buffer
  bool library = false;            // "DSOUND.DLL" cannot be loaded
  bool enumerateFunction = false;  // the library lacks DirectSoundEnumerateA
};
SoundFaults& Faults();

// CoCreateInstance of CLSID_DirectSound.
HRESULT CreateInstance(const GUID& classId, DWORD context, const GUID& interfaceId, void** object);
// LoadLibraryA, GetProcAddress and FreeLibrary for "DSOUND.DLL": null or FALSE for any other.
HMODULE LoadLibrary(const char* name);
FARPROC GetProc(HMODULE module, const char* name);
bool IsLibrary(HMODULE module);
// Objects and buffers still alive.
int LiveObjects();

}  // namespace dsound
