// Everything a platform implementation provides, in one list: the fake and the SDL platforms
// define exactly these, and a third platform would start here. The shared pieces in common/
// build the rest of the Win32 surface on top of them.
//
// Each platform source that defines one of these includes this header, so a definition whose
// signature strays from its declaration does not compile, and each platform library is linked
// against Functions below before it is archived (contract_check.cpp), so a missing one fails
// that platform's build. A new function goes both into its group and into Functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio_services.h"
#include "dib_copy.h"
#include "font_object.h"
#include "joystick_services.h"
#include "platform/cpu.h"
#include "platform/d3d9.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/version.h"
#include "platform/winmm.h"
#include "window_system.h"

// ---- Time -----------------------------------------------------------------------------------
// The millisecond clock, the performance counter and the multimedia timer's resolution.
DWORD timeGetTime();
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// ---- Processor and system -------------------------------------------------------------------
bool CpuIdAvailable();
void CpuId(std::uint32_t leaf, std::uint32_t registers[4]);
std::uint64_t ReadTimeStampCounter();
BOOL GetVersionExA(OSVERSIONINFOA* info);
void GlobalMemoryStatus(MEMORYSTATUS* status);
// The OEM code page: 949 makes the system code page Korean, anything else Shift-JIS.
UINT GetOEMCP();
void OutputDebugStringA(const char* text);
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Whether a library of this name can be loaded (the fake can make it go missing).
bool PlatformHasLibrary(const char* name);

// ---- Files (the rest of the file calls are shared, in file.cpp) ----------------------------
BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped);

// ---- Process heap ---------------------------------------------------------------------------
// heap_blocks.h holds a ready implementation on malloc.
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, std::size_t size);
void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, std::size_t size);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);

// ---- Windows (the native side of window_system.h) -------------------------------------------
namespace native {

bool CreateNativeWindow(Window& window);
void DestroyNativeWindow(Window& window);
void SetNativeTitle(Window& window);
void SetNativeGeometry(Window& window);
void ShowNativeWindow(Window& window);
void RaiseNativeWindow(Window& window);
// The window entered or left the top-most band (window.topMost).
void SetNativeTopMost(Window& window);
// Moves waiting native events into the queue (the windows::Queue* functions); waits up to the
// given time when nothing is there. A window lost to the outside arrives as a close request.
void PollEvents(DWORD waitMilliseconds);
// A look at the whole queue found nothing: one pass of the caller's message loop is over.
void QueueFoundEmpty();
bool AllowClassRegistration();
// Whether another process holds a window of this class; the claim lasts while the window lives.
bool OtherInstanceHolds(const std::string& className);
bool ClaimClass(Window& window);
void ReleaseClaim(Window& window);
bool CursorPosition(POINT* point);
void ApplyCursor(bool visible);
void SetScreenSaver(bool enabled);

}  // namespace native

// ---- Display --------------------------------------------------------------------------------
namespace native {

int DesktopWidth();
int DesktopHeight();
// The display mode with this index (ENUM_CURRENT_SETTINGS: the current one).
bool DisplayMode(DWORD index, DEVMODEA* mode);
LONG ChangeDisplayMode(const DEVMODEA* mode);

}  // namespace native

// The desktop's depth (bytes per pixel × 8), and the pixels of a window's client area as a
// 32-bit XRGB canvas, opened for one copy and closed (shown) after it.
int PlatformDesktopDepth();
// The desktop's pixels per inch (96 where the system does not say).
int PlatformDesktopDpi();
bool PlatformOpenWindowCanvas(Window& window, Canvas* canvas);
// Shows what was copied; destination is the rectangle written, stretched when the source size
// differed from it.
void PlatformCloseWindowCanvas(Window& window, const RECT& destination, bool stretched);

// DirectDraw: whether its object can be created and initialised, and the vertical-blank wait.
bool PlatformDirectDrawAvailable();
bool PlatformDirectDrawInitialize();
bool PlatformInVerticalBlank();
void PlatformWaitForVerticalBlank();

// ---- Direct3D 9 -----------------------------------------------------------------------------
// The device and every object behind IDirect3D9 (d3d9.h). Null when it cannot be had.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// ---- Fonts (the glyphs behind gdi_fonts.cpp; types in font_object.h) -------------------------
// Null when the request cannot be served.
FontObject* PlatformCreateFont(const FontRequest& request);
bool PlatformMemoryDCAvailable();

// ---- Game controllers (types in joystick_services.h) ----------------------------------------
// The pads attached now, in the system's order.
std::vector<PadDescription> PlatformPads();
// Null when the pad is gone.
NativePad* PlatformOpenPad(std::uint32_t id);
void PlatformClosePad(NativePad* pad);
bool PlatformReadPad(NativePad* pad, PadReading* reading);
// The event is set whenever the pad's input changes; null stops that.
void PlatformNotifyPadChanges(NativePad* pad, HANDLE event);
// Null when the pad cannot play the effect.
NativePadEffect* PlatformCreatePadEffect(NativePad* pad, const PadEffectParameters& parameters);
bool PlatformStartPadEffect(NativePadEffect* effect);
// A new magnitude (0-10000) for an effect, playing or not.
bool PlatformSetPadEffectMagnitude(NativePadEffect* effect, DWORD magnitude);
bool PlatformStopPadEffect(NativePadEffect* effect);
void PlatformDestroyPadEffect(NativePadEffect* effect);
// A DirectInput call on a pad, as "<product name>.<call>" (the fake keeps them in order).
void PlatformNotePadCall(const std::string& call);

// ---- Sound output (types in audio_services.h) -----------------------------------------------
// Opens the default output and keeps it fed from the mixer: at the device's own format when
// format is null, else at that format in place of the one open. False when there is no device
// worth the name, when one is open already (format null) or the format is refused; what was
// open before then stays open.
bool PlatformAudioOpen(const AudioFormat* format, AudioMixer mixer, void* context, AudioCaps* caps);
// No mixer call runs after this returns.
void PlatformAudioClose();
// Output devices, in the system code page.
std::vector<AudioDeviceName> PlatformAudioDevices();

namespace platform_contract {

// Every function above. Taking the address of a name declared twice with different parameters
// (here and in its API header) is ambiguous and does not compile.
inline const void* const Functions[] = {
    // Time
    reinterpret_cast<const void*>(&timeGetTime),
    // Files
    reinterpret_cast<const void*>(&ReadFile),
    reinterpret_cast<const void*>(&QueryPerformanceFrequency),
    reinterpret_cast<const void*>(&QueryPerformanceCounter),
    reinterpret_cast<const void*>(&timeGetDevCaps),
    reinterpret_cast<const void*>(&timeBeginPeriod),
    reinterpret_cast<const void*>(&timeEndPeriod),
    // Processor and system
    reinterpret_cast<const void*>(&CpuIdAvailable),
    reinterpret_cast<const void*>(&CpuId),
    reinterpret_cast<const void*>(&ReadTimeStampCounter),
    reinterpret_cast<const void*>(&GetVersionExA),
    reinterpret_cast<const void*>(&GlobalMemoryStatus),
    reinterpret_cast<const void*>(&GetOEMCP),
    reinterpret_cast<const void*>(&OutputDebugStringA),
    reinterpret_cast<const void*>(&CoInitialize),
    reinterpret_cast<const void*>(&CoUninitialize),
    reinterpret_cast<const void*>(&PlatformHasLibrary),
    // Process heap
    reinterpret_cast<const void*>(&GetProcessHeap),
    reinterpret_cast<const void*>(&HeapAlloc),
    reinterpret_cast<const void*>(&HeapReAlloc),
    reinterpret_cast<const void*>(&HeapFree),
    // Windows
    reinterpret_cast<const void*>(&native::CreateNativeWindow),
    reinterpret_cast<const void*>(&native::DestroyNativeWindow),
    reinterpret_cast<const void*>(&native::SetNativeTitle),
    reinterpret_cast<const void*>(&native::SetNativeGeometry),
    reinterpret_cast<const void*>(&native::ShowNativeWindow),
    reinterpret_cast<const void*>(&native::RaiseNativeWindow),
    reinterpret_cast<const void*>(&native::SetNativeTopMost),
    reinterpret_cast<const void*>(&native::PollEvents),
    reinterpret_cast<const void*>(&native::QueueFoundEmpty),
    reinterpret_cast<const void*>(&native::AllowClassRegistration),
    reinterpret_cast<const void*>(&native::OtherInstanceHolds),
    reinterpret_cast<const void*>(&native::ClaimClass),
    reinterpret_cast<const void*>(&native::ReleaseClaim),
    reinterpret_cast<const void*>(&native::CursorPosition),
    reinterpret_cast<const void*>(&native::ApplyCursor),
    reinterpret_cast<const void*>(&native::SetScreenSaver),
    // Display
    reinterpret_cast<const void*>(&native::DesktopWidth),
    reinterpret_cast<const void*>(&native::DesktopHeight),
    reinterpret_cast<const void*>(&native::DisplayMode),
    reinterpret_cast<const void*>(&native::ChangeDisplayMode),
    reinterpret_cast<const void*>(&PlatformDesktopDepth),
    reinterpret_cast<const void*>(&PlatformDesktopDpi),
    reinterpret_cast<const void*>(&PlatformOpenWindowCanvas),
    reinterpret_cast<const void*>(&PlatformCloseWindowCanvas),
    reinterpret_cast<const void*>(&PlatformDirectDrawAvailable),
    reinterpret_cast<const void*>(&PlatformDirectDrawInitialize),
    reinterpret_cast<const void*>(&PlatformInVerticalBlank),
    reinterpret_cast<const void*>(&PlatformWaitForVerticalBlank),
    // Direct3D 9
    reinterpret_cast<const void*>(&Direct3DCreate9),
    // Fonts
    reinterpret_cast<const void*>(&PlatformCreateFont),
    reinterpret_cast<const void*>(&PlatformMemoryDCAvailable),
    // Game controllers
    reinterpret_cast<const void*>(&PlatformPads),
    reinterpret_cast<const void*>(&PlatformOpenPad),
    reinterpret_cast<const void*>(&PlatformClosePad),
    reinterpret_cast<const void*>(&PlatformReadPad),
    reinterpret_cast<const void*>(&PlatformNotifyPadChanges),
    reinterpret_cast<const void*>(&PlatformCreatePadEffect),
    reinterpret_cast<const void*>(&PlatformStartPadEffect),
    reinterpret_cast<const void*>(&PlatformSetPadEffectMagnitude),
    reinterpret_cast<const void*>(&PlatformStopPadEffect),
    reinterpret_cast<const void*>(&PlatformDestroyPadEffect),
    reinterpret_cast<const void*>(&PlatformNotePadCall),
    // Sound output
    reinterpret_cast<const void*>(&PlatformAudioOpen),
    reinterpret_cast<const void*>(&PlatformAudioClose),
    reinterpret_cast<const void*>(&PlatformAudioDevices),
};

}  // namespace platform_contract
