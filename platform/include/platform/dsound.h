// DirectSound: the output device, its primary buffer and secondary buffers mixed into it, created
// through COM; device enumeration through "DSOUND.DLL" (LoadLibraryA) and DirectSoundEnumerateA.
#pragma once

#include "platform/ole32.h"
#include "platform/user32.h"

inline constexpr GUID CLSID_DirectSound{0x47D4D946, 0x62E8, 0x11CF, {0x93, 0xBC, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID IID_IDirectSound{0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x8000;

constexpr DWORD DSBPLAY_LOOPING = 0x1;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;
constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;

constexpr DWORD DSCAPS_PRIMARYMONO = 0x1;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x2;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x4;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x8;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x10;
constexpr DWORD DSCAPS_EMULDRIVER = 0x20;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x800;

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  WAVEFORMATEX* lpwfxFormat;
  GUID guid3DAlgorithm;
};

struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwPrimaryBuffers;
  DWORD dwMaxHwMixingAllBuffers;
  DWORD dwMaxHwMixingStaticBuffers;
  DWORD dwMaxHwMixingStreamingBuffers;
  DWORD dwFreeHwMixingAllBuffers;
  DWORD dwFreeHwMixingStaticBuffers;
  DWORD dwFreeHwMixingStreamingBuffers;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwMaxHw3DStaticBuffers;
  DWORD dwMaxHw3DStreamingBuffers;
  DWORD dwFreeHw3DAllBuffers;
  DWORD dwFreeHw3DStaticBuffers;
  DWORD dwFreeHw3DStreamingBuffers;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
  DWORD dwMaxContigFreeHwMemBytes;
  DWORD dwUnlockTransferRateHwBuffers;
  DWORD dwPlayCpuOverheadSwBuffers;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
static_assert(sizeof(DSCAPS) == 96);

class IDirectSoundBuffer {
 public:
  virtual HRESULT GetStatus(DWORD* status) = 0;
  virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
  // Parts of the buffer to write from offset on (the second part when the range wraps); they
  // are heard from Unlock on.
  virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2,
                       DWORD flags) = 0;
  virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  // Primary buffer only: the format the device plays.
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IDirectSoundBuffer() = default;
};

// Adds frames of interleaved stereo samples (1.0 is full scale) at rate Hz into out, which holds
// silence or what the secondary buffers made; called on the device's own thread.
using DirectSoundMixSource = void (*)(void* context, float* out, DWORD frames, DWORD rate);

class IDirectSound {
 public:
  // A null device is the default output.
  virtual HRESULT Initialize(const GUID* device) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, void* outer) = 0;
  virtual HRESULT GetCaps(DSCAPS* caps) = 0;
  // This platform's addition, in place of a streaming buffer that a thread of the engine would
  // keep filled: the device pulls each period from source, after the secondary buffers, and
  // clips the sum to its format. A null source stops that; replacing or clearing the source
  // returns only after a pull under way has returned.
  virtual HRESULT SetMixSource(DirectSoundMixSource source, void* context) = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IDirectSound() = default;
};

// DirectSoundEnumerateA, found in "DSOUND.DLL": the callback is called for each output device
// with its description and module name; it returns TRUE to go on.
using LPDSENUMCALLBACKA = BOOL (*)(GUID* device, const char* description, const char* module, void* context);
using DirectSoundEnumerateAFunction = HRESULT (*)(LPDSENUMCALLBACKA callback, void* context);
